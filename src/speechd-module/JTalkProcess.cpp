#include "JTalkProcess.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

void closeBoth(int pipe[2])
{
    for (int i = 0; i < 2; ++i) {
        if (pipe[i] >= 0)
            ::close(pipe[i]);
    }
}

} // namespace

std::unique_ptr<JTalkProcess> JTalkProcess::start(const std::vector<std::string>& argv, int traceDescriptor)
{
    if (argv.empty())
        return nullptr;
    int input[2] = {-1, -1};
    int output[2] = {-1, -1};
    int trace[2] = {-1, -1};
    if (::pipe2(input, O_CLOEXEC) != 0 || ::pipe2(output, O_CLOEXEC) != 0
        || (traceDescriptor >= 0 && ::pipe2(trace, O_CLOEXEC) != 0)) {
        closeBoth(input);
        closeBoth(output);
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
        // Last: the descriptor it goes to may be where input or output was.
        if (traceDescriptor >= 0) {
            if (trace[1] == traceDescriptor)
                ::fcntl(trace[1], F_SETFD, 0);
            else if (::dup2(trace[1], traceDescriptor) < 0)
                ::_exit(127);
        }
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
    if (trace[1] >= 0)
        ::close(trace[1]);
    if (pid < 0) {
        ::close(input[1]);
        ::close(output[0]);
        if (trace[0] >= 0)
            ::close(trace[0]);
        return nullptr;
    }
    return std::unique_ptr<JTalkProcess>(new JTalkProcess(pid, input[1], output[0], trace[0]));
}

JTalkProcess::~JTalkProcess()
{
    kill();
    if (m_input >= 0)
        ::close(m_input);
    if (m_output >= 0)
        ::close(m_output);
    if (m_trace >= 0)
        ::close(m_trace);
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
    // Speech and trace are read side by side: open_jtalk writes both before
    // it ends, and either pipe filling up would hold it.
    struct Source {
        int& fd;
        std::string& into;
    } sources[] = {{m_output, result.output}, {m_trace, result.trace}};
    char buffer[65536];
    for (;;) {
        pollfd fds[2];
        nfds_t n = 0;
        for (const Source& source : sources) {
            if (source.fd >= 0)
                fds[n++] = {source.fd, POLLIN, 0};
        }
        if (n == 0)
            break;
        if (::poll(fds, n, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        for (nfds_t i = 0; i < n; ++i) {
            if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            Source& source = fds[i].fd == m_output ? sources[0] : sources[1];
            const ssize_t got = ::read(source.fd, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0) {
                ::close(source.fd);
                source.fd = -1;
            } else {
                source.into.append(buffer, std::size_t(got));
            }
        }
    }
    result.status = reap();
    return result;
}
