#include "ModuleOutput.h"

#include <cerrno>
#include <unistd.h>

void ModuleOutput::write(const std::string& bytes)
{
    std::lock_guard lock(m_mutex);
    for (std::size_t done = 0; m_open && done < bytes.size();) {
        const ssize_t n = ::write(m_fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            m_open = false;
        else
            done += std::size_t(n);
    }
}

bool ModuleOutput::isOpen() const
{
    std::lock_guard lock(m_mutex);
    return m_open;
}

void ModuleOutput::send(std::string_view lines)
{
    std::string bytes(lines);
    bytes += '\n';
    write(bytes);
}

void ModuleOutput::indexMark(std::string_view name)
{
    // A name is one line of the protocol.
    std::string clean;
    for (const char c : name)
        clean += (c == '\n' || c == '\r') ? ' ' : c;
    send("700-" + clean + "\n700 INDEX MARK");
}

void ModuleOutput::sendAudio(std::span<const std::int16_t> samples, int sampleRate)
{
    std::string bytes = "705-bits=16\n705-num_channels=1\n705-sample_rate=" + std::to_string(sampleRate)
                        + "\n705-num_samples=" + std::to_string(samples.size()) + "\n705-big_endian=0\n705-AUDIO";
    bytes += '\0';
    bytes.reserve(bytes.size() + samples.size() * 2 + samples.size() / 64 + 16);
    // HDLC escaping, as the daemon undoes it: a line end or the escape byte
    // itself is sent as the escape byte and the byte with bit 5 inverted.
    constexpr char Escape = 0x7D;
    const auto put = [&bytes](char c) {
        if (c == '\n' || c == Escape) {
            bytes += Escape;
            bytes += char(c ^ 0x20);
        } else {
            bytes += c;
        }
    };
    for (const std::int16_t s : samples) {
        const auto u = static_cast<std::uint16_t>(s);
        put(char(u & 0xFF));
        put(char(u >> 8));
    }
    bytes += "\n705 AUDIO\n";
    write(bytes);
}
