#pragma once

#include "FakeMessageBox.h"
#include "RecordingSpeechObject.h"
#include "platform/Platform.h"

#include <QStringList>
#include <memory>

class FormSupport;
class Program;

// The program as start-up builds it, with a recording speech object and a
// message box that answers from the test. Tests may change platform before
// start(); start() runs the real start-up, shows the main window and waits
// until it is active with the focus in its first field.
class AppFixture
{
public:
    AppFixture();
    ~AppFixture();

    bool start();
    FormSupport& form() const;
    Program& program() const { return *m_program; }

    QStringList calls() const { return log->calls; }
    void clearCalls() { log->calls.clear(); }

    // The objectName of the focused widget, or "<none>".
    static QString focusName();
    // Presses and releases a key on the focused widget, as a user does.
    static void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // Lets posted keystrokes and the events they cause run.
    static void settle();

    std::shared_ptr<RecordingSpeechObject::Log> log;
    std::shared_ptr<FakeMessageBox> messageBox;
    Platform platform;

private:
    std::unique_ptr<Program> m_program;
};
