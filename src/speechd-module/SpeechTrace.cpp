#include "SpeechTrace.h"

#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

SpeechTrace SpeechTrace::fromEnvironment()
{
    const char* file = std::getenv(Variable);
    return SpeechTrace(file ? file : "");
}

void SpeechTrace::write(std::string_view kind, std::string_view text) const
{
    if (m_file.empty())
        return;
    std::string line(kind);
    line += '\t';
    for (const char c : text)
        line += c == '\n' ? ' ' : c;
    line += '\n';
    const int fd = ::open(m_file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    // One write, so that lines of modules sharing the file do not mix.
    [[maybe_unused]] const ssize_t n = ::write(fd, line.data(), line.size());
    ::close(fd);
}

std::string SpeechTrace::wordsOf(std::string_view trace)
{
    // "[Text analysis result]", then one line per word: surface, part of
    // speech (six fields), base form, reading, pronunciation, ...
    const std::string_view heading = "[Text analysis result]\n";
    std::size_t at = trace.find(heading);
    if (at == std::string_view::npos)
        return {};
    at += heading.size();
    std::string words;
    while (at < trace.size() && trace[at] != '\n') {
        std::size_t end = trace.find('\n', at);
        if (end == std::string_view::npos)
            end = trace.size();
        const std::string_view line = trace.substr(at, end - at);
        std::string_view fields[10];
        std::size_t from = 0;
        int n = 0;
        for (; n < 10; ++n) {
            const std::size_t comma = line.find(',', from);
            fields[n] = line.substr(from, comma == std::string_view::npos ? std::string_view::npos : comma - from);
            if (comma == std::string_view::npos) {
                ++n;
                break;
            }
            from = comma + 1;
        }
        if (n >= 10) {
            if (!words.empty())
                words += ' ';
            words.append(fields[0]);
            words += '/';
            words.append(fields[9]);
        }
        at = end + 1;
    }
    return words;
}
