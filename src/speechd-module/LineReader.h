#pragma once

#include <optional>
#include <string>

// Lines from the daemon ("\n" ends each; the protocol has no CR).
class LineReader
{
public:
    explicit LineReader(int fd) : m_fd(fd) {}
    // The next line without its "\n"; empty at the end of the input (the
    // daemon closed the pipe or went away). A last line without "\n" is
    // still a line.
    std::optional<std::string> next();

private:
    int m_fd;
    std::string m_buffer;
    std::size_t m_start = 0;
    std::size_t m_scanned = 0;
    bool m_ended = false;
};
