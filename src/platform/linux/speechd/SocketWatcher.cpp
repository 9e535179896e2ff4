#include "platform/linux/speechd/SocketWatcher.h"

#include <array>
#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <sys/eventfd.h>
#include <system_error>
#include <unistd.h>

namespace
{

void watch(int socket, int wake, std::function<void()> closed)
{
    std::array<pollfd, 2> fds{{{socket, POLLRDHUP, 0}, {wake, POLLIN, 0}}};
    for (;;) {
        const int ready = ::poll(fds.data(), fds.size(), -1);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0 || fds[1].revents != 0)
            return;
        if (fds[0].revents != 0) {
            closed();
            return;
        }
    }
}

} // namespace

SocketWatcher::SocketWatcher(int socket, std::function<void()> closed) : m_socket(socket)
{
    if (m_socket < 0)
        return;
    m_wake = ::eventfd(0, EFD_CLOEXEC);
    if (m_wake < 0)
        return;
    try {
        m_thread = std::thread(watch, m_socket, m_wake, std::move(closed));
    } catch (const std::system_error&) {
        // Unwatched, a closed connection shows at the next request instead.
    }
}

SocketWatcher::~SocketWatcher()
{
    if (m_thread.joinable()) {
        const std::uint64_t wake = 1;
        if (::write(m_wake, &wake, sizeof wake) != sizeof wake) {
            m_thread.detach(); // it holds what it reports to; its descriptors stay open
            return;
        }
        m_thread.join();
    }
    if (m_wake >= 0)
        ::close(m_wake);
    if (m_socket >= 0)
        ::close(m_socket);
}
