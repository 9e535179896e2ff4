#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <memory>
#include <sys/types.h>
#include <vector>

// One open_jtalk, started ahead of its text: it loads its dictionary and
// voice (the larger part of a short line's time) and then waits on its
// input. It reads one line, writes the speech to its output and ends, so
// each process serves one line.
class JTalkProcess
{
public:
    // Started with its input and output connected to this module, and with
    // traceDescriptor, when not negative, a pipe to it too; null when it
    // cannot be started. It dies with the thread that started it.
    static std::unique_ptr<JTalkProcess> start(const std::vector<std::string>& argv, int traceDescriptor = -1);
    // Kills it if it still runs; never leaves it unreaped.
    ~JTalkProcess();
    JTalkProcess(const JTalkProcess&) = delete;
    JTalkProcess& operator=(const JTalkProcess&) = delete;

    struct Result {
        std::string output; // what it wrote (a WAVE file when all went well)
        std::string trace;  // what it wrote to the trace descriptor
        int status = -1;    // as waitpid gives it
    };
    // Gives it the line, reads everything it writes and reaps it. Returns
    // early, with what was read so far, once kill() was called.
    Result synthesize(std::string_view line);
    // From any thread; ends synthesize() at once.
    void kill();
    // False once it has ended by itself (the dictionary could not be read,
    // say) or was killed.
    bool isWaiting();
    pid_t pid() const { return m_pid; }

private:
    JTalkProcess(pid_t pid, int input, int output, int trace)
        : m_pid(pid), m_input(input), m_output(output), m_trace(trace)
    {
    }
    int reap();

    std::mutex m_mutex;
    const pid_t m_pid;
    int m_input;
    int m_output;
    int m_trace;
    bool m_reaped = false;
    int m_status = -1;
};
