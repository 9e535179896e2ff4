#include "platform/windows/WindowsSingleInstance.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include <vector>
#include <windows.h>

namespace
{
struct OwnedSearch {
    HWND owner;
    HWND found = nullptr;
};

BOOL CALLBACK findEnabledOwned(HWND window, LPARAM data)
{
    auto* search = reinterpret_cast<OwnedSearch*>(data);
    if (GetWindow(window, GW_OWNER) == search->owner && IsWindowVisible(window) && IsWindowEnabled(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// The window that has the input while `window` is disabled: its last active
// popup, else a visible, enabled window it owns.
void bringInputWindowForward(HWND window)
{
    HWND popup = GetLastActivePopup(window);
    if (!popup || popup == window || !IsWindowEnabled(popup)) {
        OwnedSearch search{window};
        EnumThreadWindows(GetWindowThreadProcessId(window, nullptr), findEnabledOwned,
                          reinterpret_cast<LPARAM>(&search));
        popup = search.found;
    }
    if (popup)
        SetForegroundWindow(popup);
}
} // namespace

class WindowsSingleInstance::Filter : public QAbstractNativeEventFilter
{
public:
    explicit Filter(WindowsSingleInstance& owner) : m_owner(owner) {}

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override
    {
        if (eventType != "windows_generic_MSG")
            return false;
        const MSG* msg = static_cast<const MSG*>(message);
        if (msg->message != activationMessage())
            return false;
        // Without a handler the window is closing: no answer, so the later
        // start waits for this process to end and takes over.
        if (!m_owner.m_handler) {
            *result = 0;
            return true;
        }
        m_owner.m_handler();
        // A system dialog the program waits in (the accessible library's,
        // Windows' own file dialog) disables the window it was asked to;
        // the input is the dialog's, so it comes to the front instead, once
        // the window's own activation has gone through.
        if (!IsWindowEnabled(msg->hwnd)) {
            const HWND window = msg->hwnd;
            QMetaObject::invokeMethod(
                QCoreApplication::instance(), [window] { bringInputWindowForward(window); }, Qt::QueuedConnection);
        }
        *result = Acknowledged;
        return true;
    }

private:
    WindowsSingleInstance& m_owner;
};

WindowsSingleInstance::WindowsSingleInstance(QString windowTitle, QString mutexName,
                                             std::chrono::milliseconds handOverWindow)
    : m_windowTitle(std::move(windowTitle)), m_mutexName(std::move(mutexName)), m_handOverWindow(handOverWindow)
{
}

WindowsSingleInstance::~WindowsSingleInstance()
{
    if (m_filter && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(m_filter.get());
    if (m_mutex)
        CloseHandle(m_mutex);
}

QString WindowsSingleInstance::defaultMutexName()
{
    return QStringLiteral("Local\\vornix-support");
}

unsigned WindowsSingleInstance::activationMessage()
{
    static const UINT message = RegisterWindowMessageW(L"vornix-support-activate");
    return message;
}

bool WindowsSingleInstance::becomePrimary()
{
    if (m_mutex)
        return true;
    const HANDLE mutex = CreateMutexW(nullptr, FALSE, reinterpret_cast<const wchar_t*>(m_mutexName.utf16()));
    if (!mutex)
        return false;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return false;
    }
    // Holding the handle keeps the mutex alive for as long as this process
    // runs; the system closes it when the process ends.
    m_mutex = mutex;
    if (QCoreApplication::instance()) {
        m_filter = std::make_unique<Filter>(*this);
        QCoreApplication::instance()->installNativeEventFilter(m_filter.get());
    }
    return true;
}

namespace {

struct Search {
    const wchar_t* title;
    std::vector<HWND> windows;
};

BOOL CALLBACK collectByTitle(HWND window, LPARAM data)
{
    auto* search = reinterpret_cast<Search*>(data);
    wchar_t title[256];
    const int length = GetWindowTextW(window, title, 256);
    if (length > 0 && wcscmp(title, search->title) == 0)
        search->windows.push_back(window);
    return TRUE;
}

bool mutexExists(const QString& name)
{
    const HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, reinterpret_cast<const wchar_t*>(name.utf16()));
    if (!mutex)
        return false;
    CloseHandle(mutex);
    return true;
}

} // namespace

bool WindowsSingleInstance::activatePrimary()
{
    const long long budgetMs = m_handOverWindow.count() - m_waitedMs;
    QDeadlineTimer deadline(qMax(0LL, budgetMs));
    const std::wstring title = m_windowTitle.toStdWString();
    bool answered = false;
    for (;;) {
        Search search{title.c_str(), {}};
        EnumWindows(collectByTitle, reinterpret_cast<LPARAM>(&search));
        for (HWND window : search.windows) {
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            // This start was the user's last action, so it may hand the
            // foreground on; the primary could not take it by itself.
            AllowSetForegroundWindow(process);
            DWORD_PTR answer = 0;
            const UINT timeoutMs = static_cast<UINT>(qBound(100LL, deadline.remainingTime(), 5000LL));
            if (SendMessageTimeoutW(window, activationMessage(), 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &answer)
                && static_cast<long long>(answer) == Acknowledged) {
                answered = true;
                break;
            }
        }
        // No primary any more: the caller may become it.
        if (answered || !mutexExists(m_mutexName) || deadline.hasExpired())
            break;
        // The primary is still coming up (no window yet) or going away.
        QThread::msleep(50);
    }
    m_waitedMs += qMax(0LL, budgetMs) - qMax(0LL, deadline.remainingTime());
    return answered;
}

void WindowsSingleInstance::setActivationHandler(std::function<void()> handler)
{
    m_handler = std::move(handler);
}
