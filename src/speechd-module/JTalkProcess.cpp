#include "JTalkProcess.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

std::unique_ptr<JTalkProcess> JTalkProcess::start(const std::vector<std::string>& argv)
{
    if (argv.empty())
        return nullptr;
    int input[2];
    int output[2];
    if (::pipe2(input, O_CLOEXEC) != 0)
        return nullptr;
    if (::pipe2(output, O_CLOEXEC) != 0) {
        ::close(input[0]);
        ::close(input[1]);
        return nullptr;
    }
    // Everything the child needs is made before fork: it may only call
    // async-signal-safe functions after it (this module has threads).
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    sigset_t none;
    sigemptyset(&none);
    const pid_t parent = ::getpid();

    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(input[0], STDIN_FILENO);
        ::dup2(output[1], STDOUT_FILENO);
        // A module that dies (or is killed by the daemon) takes its
        // synthesisers with it.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent)
            ::_exit(127);
        ::signal(SIGPIPE, SIG_DFL);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    ::close(input[0]);
    ::close(output[1]);
    if (pid < 0) {
        ::close(input[1]);
        ::close(output[0]);
        return nullptr;
    }
    return std::unique_ptr<JTalkProcess>(new JTalkProcess(pid, input[1], output[0]));
}

JTalkProcess::~JTalkProcess()
{
    kill();
    if (m_input >= 0)
        ::close(m_input);
    if (m_output >= 0)
        ::close(m_output);
    reap();
}

void JTalkProcess::kill()
{
    std::lock_guard lock(m_mutex);
    // Once reaped, the number may already belong to another process.
    if (!m_reaped)
        ::kill(m_pid, SIGKILL);
}

int JTalkProcess::reap()
{
    std::lock_guard lock(m_mutex);
    if (!m_reaped) {
        int status = 0;
        pid_t done;
        do
            done = ::waitpid(m_pid, &status, 0);
        while (done < 0 && errno == EINTR);
        m_status = done == m_pid ? status : -1;
        m_reaped = true;
    }
    return m_status;
}

bool JTalkProcess::isWaiting()
{
    std::lock_guard lock(m_mutex);
    if (m_reaped)
        return false;
    int status = 0;
    if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
        m_reaped = true;
        m_status = status;
        return false;
    }
    return true;
}

JTalkProcess::Result JTalkProcess::synthesize(std::string_view line)
{
    Result result;
    std::string text(line);
    text += '\n';
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t n = ::write(m_input, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break; // it has gone; what it wrote, if anything, says the rest
        done += std::size_t(n);
    }
    ::close(m_input);
    m_input = -1;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(m_output, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        result.output.append(buffer, std::size_t(n));
    }
    ::close(m_output);
    m_output = -1;
    result.status = reap();
    return result;
}
