#pragma once

#include "platform/SingleInstance.h"

#include <QString>
#include <chrono>
#include <functional>
#include <memory>

class QSocketNotifier;

// Single instance over a local socket in the user's private runtime folder.
//
// Who is first is decided by an advisory lock (flock) on a file next to the
// socket: the kernel hands it to exactly one process, however many start at
// once, and drops it when that process dies, even by SIGKILL, so a crashed
// primary never blocks the next start. The lock holder then listens on the
// socket; later starts connect to it and send one "activate" line.
//
// A plain Unix socket watched by the event loop: all it carries is that one
// line, and Qt's local sockets would bring the whole network library (and
// the Kerberos and proxy libraries behind it) into every start.
class LocalSingleInstance : public SingleInstance
{
public:
    // The message a later start sends; one line per connection.
    static constexpr char ActivateMessage[] = "activate\n";

    // directory empty: the user's private runtime folder (runtimeDirectory()).
    // handOverWindow bounds activatePrimary(): how long a later start keeps
    // trying to reach a primary that is still coming up.
    explicit LocalSingleInstance(QString name = defaultName(), QString directory = {},
                                 std::chrono::milliseconds handOverWindow = std::chrono::seconds(5));
    ~LocalSingleInstance() override;

    LocalSingleInstance(const LocalSingleInstance&) = delete;
    LocalSingleInstance& operator=(const LocalSingleInstance&) = delete;

    bool becomePrimary() override;
    void activatePrimary() override;
    void setActivationHandler(std::function<void()> handler) override;

    // "vornix-support-<uid>", so that two users on one machine do not meet.
    static QString defaultName();
    // $XDG_RUNTIME_DIR when it is a folder only this user can enter, else
    // <temp>/vornix-support-<uid>, created 0700. Empty when neither is safe to use.
    static QString runtimeDirectory();

    QString lockPath() const;
    QString socketPath() const;
    // True while this object holds the lock and listens for later starts.
    bool isListening() const;

private:
    void listen();
    void stopListening();
    void acceptConnections();
    void serve(int fd);

    QString m_name;
    QString m_directory;
    std::chrono::milliseconds m_handOverWindow;
    int m_lockFd = -1;
    bool m_primary = false;
    int m_listenFd = -1;
    // Also the parent of one notifier per later start still being heard.
    std::unique_ptr<QSocketNotifier> m_listener;
    std::function<void()> m_handler;
};
