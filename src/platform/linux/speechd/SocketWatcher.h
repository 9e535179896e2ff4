#pragma once

#include <functional>
#include <thread>

// Notices the other end closing a connection (a daemon killed or crashed) the
// moment it does; until then nothing asked of it would fail.
class SocketWatcher
{
public:
    // Takes the descriptor, a duplicate of the connection's own, and calls
    // closed on a thread of its own when the other end hangs up. Without a
    // thread to watch on, a closed connection shows at the next request.
    SocketWatcher(int socket, std::function<void()> closed);
    ~SocketWatcher();
    SocketWatcher(const SocketWatcher&) = delete;
    SocketWatcher& operator=(const SocketWatcher&) = delete;

private:
    int m_socket;
    // Wakes the thread when the watcher goes.
    int m_wake = -1;
    std::thread m_thread;
};
