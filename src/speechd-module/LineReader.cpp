#include "LineReader.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

std::optional<std::string> LineReader::next()
{
    for (;;) {
        // A long line arrives in many reads: each is searched once.
        const std::size_t newline = m_buffer.find('\n', std::max(m_start, m_scanned));
        if (newline != std::string::npos) {
            std::string line = m_buffer.substr(m_start, newline - m_start);
            m_start = newline + 1;
            m_scanned = m_start;
            return line;
        }
        m_scanned = m_buffer.size();
        if (m_ended) {
            if (m_start >= m_buffer.size())
                return std::nullopt;
            std::string line = m_buffer.substr(m_start);
            m_start = m_buffer.size();
            return line;
        }
        m_buffer.erase(0, m_start);
        m_scanned -= m_start;
        m_start = 0;
        char chunk[65536];
        const ssize_t n = ::read(m_fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            m_ended = true;
        else
            m_buffer.append(chunk, std::size_t(n));
    }
}
