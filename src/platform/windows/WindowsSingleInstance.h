#pragma once

#include "platform/SingleInstance.h"

#include <QString>
#include <chrono>
#include <functional>
#include <memory>

class QAbstractNativeEventFilter;

// Single instance over a named mutex and the main window's title.
//
// The mutex decides who is first: the system creates it for exactly one
// process, however many start at once, and destroys it when that process
// ends, even when it crashed, so a dead primary never blocks the next start.
// A later start looks for the primary's window by its title and sends it a
// message of this program's own; the primary comes to the front and answers
// it. A window of some other program with the same title does not answer, and
// a primary that is ending answers no longer: the later start then waits for
// the mutex to go and becomes the primary itself.
class WindowsSingleInstance : public SingleInstance
{
public:
    // The value the primary answers with once its window is in front.
    static constexpr long long Acknowledged = 0x564E58; // "VNX"

    // windowTitle: the main window's title, as the later start searches it.
    // handOverWindow bounds every activatePrimary() of this start together:
    // how long it waits for a primary that is still coming up.
    explicit WindowsSingleInstance(QString windowTitle, QString mutexName = defaultMutexName(),
                                   std::chrono::milliseconds handOverWindow = std::chrono::seconds(20));
    ~WindowsSingleInstance() override;

    WindowsSingleInstance(const WindowsSingleInstance&) = delete;
    WindowsSingleInstance& operator=(const WindowsSingleInstance&) = delete;

    bool becomePrimary() override;
    bool activatePrimary() override;
    void setActivationHandler(std::function<void()> handler) override;

    // In the session's own namespace: another user's copy on the same
    // machine (fast user switching, a terminal server) is no copy of ours.
    static QString defaultMutexName();
    // The message a later start sends; registered by name, so every copy of
    // the program agrees on its number.
    static unsigned activationMessage();

private:
    class Filter;

    QString m_windowTitle;
    QString m_mutexName;
    std::chrono::milliseconds m_handOverWindow;
    void* m_mutex = nullptr;
    std::function<void()> m_handler;
    std::unique_ptr<Filter> m_filter;
    long long m_waitedMs = 0;
};
