#pragma once

#include "FakeBrowser.h"
#include "FakeDriveTypes.h"
#include "FakeFileDialogEntryPoints.h"
#include "FakeMessageBox.h"
#include "FakeModulePresence.h"
#include "FakeStandardFileDialog.h"
#include "FaultyFileSystem.h"
#include "RecordingSpeechObject.h"
#include "platform/Platform.h"

#include <QStringList>
#include <memory>

class FormSupport;
class QWidget;
class Program;

// The program as start-up builds it, with fakes for everything outside it: a
// recording speech object, a message box and file dialogs that answer from the
// test, drives as the test lists them, a recording browser, module presence
// as the test declares it, and the real file system with injectable faults.
// Tests may change platform (or the fakes) before start(); start() runs the
// real start-up, shows the main window and waits until it is active with the
// focus in its first field.
//
// The accessible file-dialog library fails by default, as it does on Linux, so
// the file commands go to the standard dialog unless a test says otherwise.
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
    // Types text into the focused widget key by key, non-ASCII characters
    // included (QTest::keyClicks cannot type those).
    static void type(const QString& text);
    // Lets posted keystrokes and the events they cause run.
    static void settle();
    // Puts the focus on w without going through the keyboard, waits until it
    // is there, then forgets what that said.
    void focusAndForget(QWidget* w);

    std::shared_ptr<RecordingSpeechObject::Log> log;
    std::shared_ptr<FakeMessageBox> messageBox;
    // The accessible library's entry points, behind the real adapter.
    std::shared_ptr<FakeFileDialogEntryPoints> fileDialogLibrary;
    std::shared_ptr<FakeStandardFileDialog> standardDialog;
    std::shared_ptr<FakeDriveTypes> driveTypes;
    std::shared_ptr<FakeBrowser::Log> browsers;
    std::shared_ptr<FakeModulePresence> modules;
    std::shared_ptr<FileSystem> realFileSystem;
    std::shared_ptr<FaultyFileSystem> fileSystem;
    Platform platform;

private:
    std::unique_ptr<Program> m_program;
};
