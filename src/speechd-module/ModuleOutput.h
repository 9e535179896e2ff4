#pragma once

#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <string_view>

// What the module says to speech-dispatcher on its standard output: replies
// from the reading thread, events and audio from the speaking one. Each
// write is one whole reply or event, so that nothing lands inside another.
class ModuleOutput
{
public:
    explicit ModuleOutput(int fd) : m_fd(fd) {}

    // Lines of one reply or event, each given without its line end.
    void send(std::string_view lines);
    // Speech for the daemon to play through its own audio output ("705
    // AUDIO"), 16-bit mono, the bytes escaped so that no line end occurs.
    void sendAudio(std::span<const std::int16_t> samples, int sampleRate);

    void begin() { send("701 BEGIN"); }
    void end() { send("702 END"); }
    void stopped() { send("703 STOP"); }
    void paused() { send("704 PAUSE"); }
    void indexMark(std::string_view name);

    // False once the daemon stopped reading (it went away).
    bool isOpen() const;

private:
    void write(const std::string& bytes);

    mutable std::mutex m_mutex;
    int m_fd;
    bool m_open = true;
};
