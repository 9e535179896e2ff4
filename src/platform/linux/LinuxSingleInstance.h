#pragma once

#include "platform/SingleInstance.h"

#include <QDeadlineTimer>
#include <QString>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QSocketNotifier;

// Single instance over a local socket in the user's private runtime folder.
//
// Who is first is decided by an advisory lock (flock) on a file next to the
// socket: the kernel hands it to exactly one process, however many start at
// once, and drops it when that process dies, even by SIGKILL, so a crashed
// primary never blocks the next start. The lock holder then listens on the
// socket; later starts connect to it and send one "activate" line, and the
// primary answers once its window is in front.
//
// A plain Unix socket watched by the event loop: all it carries is that one
// line each way, and Qt's local sockets would bring the whole network library
// (and the Kerberos and proxy libraries behind it) into every start.
class LinuxSingleInstance : public SingleInstance
{
public:
    // The message a later start sends; one line per connection.
    static constexpr char ActivateMessage[] = "activate\n";
    // The primary's answer: its window has been brought to the front.
    static constexpr char ActivatedMessage[] = "activated\n";
    // Later starts being heard or held at one time; a connection beyond them
    // is closed at once, so that a process opening them by the thousand cannot
    // take every descriptor. Above the socket's queue of 64: a start closed
    // unanswered tries again and may end with a window of its own.
    static constexpr int MaxUnservedStarts = 128;

    // directory empty: the user's private runtime folder (runtimeDirectory()).
    // handOverWindow bounds every activatePrimary() of this start together:
    // how long it keeps trying to reach a primary that is still coming up and
    // waits for its answer. A primary answers as soon as its event loop runs,
    // however loaded the machine; the window only ends the wait for one that hangs.
    explicit LinuxSingleInstance(QString name = defaultName(), QString directory = {},
                                 std::chrono::milliseconds handOverWindow = std::chrono::seconds(20));
    ~LinuxSingleInstance() override;

    LinuxSingleInstance(const LinuxSingleInstance&) = delete;
    LinuxSingleInstance& operator=(const LinuxSingleInstance&) = delete;

    bool becomePrimary() override;
    bool activatePrimary() override;
    void setActivationHandler(std::function<void()> handler) override;

    // "vornix-support-<uid>", so that two users on one machine do not meet.
    static QString defaultName();
    // Where name's lock and socket go: $XDG_RUNTIME_DIR when it is a folder
    // only this user can enter and the socket's path fits a socket address,
    // else <temp>/vornix-support-<uid>, else /tmp/vornix-support-<uid>, created
    // 0700. Empty when none is safe to use.
    static QString runtimeDirectory(const QString& name = defaultName());

    QString lockPath() const;
    QString socketPath() const;
    // True while this object holds the lock and listens for later starts.
    bool isListening() const;
    // False while the listener rests because descriptors ran out.
    bool isAccepting() const;

private:
    enum class Lock { Taken, HeldByOther, Unusable };
    Lock takeLock();
    void listen();
    void stopListening();
    void acceptConnections();
    void restUntilDescriptorsAreFree();
    void serve(int fd);
    void answerHeldStarts();

    QString m_name;
    QString m_directory;
    std::chrono::milliseconds m_handOverWindow;
    std::optional<QDeadlineTimer> m_handOverDeadline;
    int m_lockFd = -1;
    bool m_primary = false;
    int m_listenFd = -1;
    // Also the parent of one notifier per later start still being heard.
    std::unique_ptr<QSocketNotifier> m_listener;
    // Connections accepted and not yet answered or closed.
    int m_unserved = 0;
    std::function<void()> m_handler;
    // Later starts heard while no window could come to the front: answered
    // once one can, or left unanswered when this program ends.
    std::vector<std::pair<int, QSocketNotifier*>> m_held;
};
