#include "platform/linux/speechd/BoundedWorker.h"

#include <algorithm>
#include <csignal>
#include <optional>
#include <pthread.h>
#include <utility>

namespace
{

using State = BoundedWorker::State;
using Activity = BoundedWorker::Activity;

void runJobs(std::shared_ptr<State> state, std::function<void()> lastly)
{
    // Writing to a daemon that has gone raises SIGPIPE, which would end the
    // program. Blocked on this thread (and on libspeechd's event thread, which
    // a job starts from here and which inherits the mask) it only makes the
    // write fail.
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);

    std::unique_lock lock(state->mutex);
    for (;;) {
        state->activity = Activity::Idle;
        state->changed.notify_all();
        state->changed.wait(lock, [&] { return state->quit || !state->jobs.empty(); });
        // The owner is going: what is still queued is no longer wanted.
        if (state->quit)
            break;
        std::function<void()> job = std::move(state->jobs.front());
        state->jobs.pop_front();
        state->activity = Activity::Busy;
        lock.unlock();
        job();
        lock.lock();
    }
    std::deque<std::function<void()>> dropped = std::move(state->jobs);
    lock.unlock();
    dropped.clear();
    lastly();
    lock.lock();
    state->workerDone = true;
    state->activity = Activity::Idle;
    state->changed.notify_all();
}

} // namespace

void BoundedWorker::State::setActivity(Activity now, Clock::time_point deadline)
{
    std::lock_guard lock(mutex);
    activity = now;
    daemonDeadline = deadline;
    changed.notify_all();
}

void BoundedWorker::State::runNext(std::function<void()> job)
{
    jobs.push_front(std::move(job));
    changed.notify_all();
}

void BoundedWorker::State::waitForChange(std::unique_lock<std::mutex>& lock, Clock::time_point until)
{
    if (activity == Activity::Daemon)
        until = std::min(until, daemonDeadline);
    if (until == Clock::time_point::max())
        changed.wait(lock);
    else
        changed.wait_until(lock, until);
}

bool BoundedWorker::State::mayAsk()
{
    std::lock_guard lock(mutex);
    return !failed && !quit;
}

void BoundedWorker::State::fail()
{
    std::lock_guard lock(mutex);
    failed = true;
    changed.notify_all();
}

BoundedWorker::WithDaemon::WithDaemon(State& state, std::chrono::milliseconds bound) : m_state(state)
{
    state.setActivity(Activity::Daemon, Clock::now() + bound);
}

BoundedWorker::WithDaemon::~WithDaemon()
{
    m_state.setActivity(Activity::Busy);
}

BoundedWorker::OwnWork::OwnWork(State& state) : m_state(state)
{
    state.setActivity(Activity::OwnWork);
}

BoundedWorker::OwnWork::~OwnWork()
{
    m_state.setActivity(Activity::Busy);
}

BoundedWorker::BoundedWorker(std::shared_ptr<State> state, std::function<void()> lastly,
                             std::chrono::milliseconds exitBound)
    : m_state(std::move(state)), m_exitBound(exitBound), m_thread(runJobs, m_state, std::move(lastly))
{
}

BoundedWorker::~BoundedWorker()
{
    State& state = *m_state;
    std::unique_lock lock(state.mutex);
    state.quit = true;
    state.changed.notify_all();
    // Own work still going on ends by itself, and it may use what static
    // destruction takes away at exit: it is waited for, though only so long,
    // for a value megabytes long takes seconds to read. A thread left behind
    // then, or kept by the daemon past its bound, owns what it still needs
    // and finishes on its own (or ends with the process).
    const auto giveUp = Clock::now() + m_exitBound;
    for (;;) {
        if (state.workerDone) {
            lock.unlock();
            m_thread.join();
            return;
        }
        const auto now = Clock::now();
        if (state.overdue(now) || (now >= giveUp && state.activity != Activity::Daemon)) {
            lock.unlock();
            m_thread.detach();
            return;
        }
        state.waitForChange(lock, giveUp);
    }
}

int BoundedWorker::call(std::function<int()> job)
{
    State& state = *m_state;
    std::unique_lock lock(state.mutex);
    if (state.failed)
        return Failed;
    auto result = std::make_shared<std::optional<int>>();
    // The thread holds the state for as long as it runs, so the reference stays valid.
    state.jobs.push_back([&state, job = std::move(job), result] {
        const int status = state.mayAsk() ? job() : Failed;
        std::lock_guard done(state.mutex);
        *result = status;
        if (status < 0)
            state.failed = true;
        state.changed.notify_all();
    });
    state.changed.notify_all();
    for (;;) {
        if (result->has_value())
            return **result < 0 ? Failed : **result;
        if (state.failed)
            return Failed;
        if (state.overdue(Clock::now())) {
            state.failed = true;
            return Failed;
        }
        // Own work is no business of the caller's; the job goes on without
        // it, and a failure of the daemon shows at the next call.
        if (state.activity == Activity::OwnWork)
            return 0;
        state.waitForChange(lock);
    }
}

void BoundedWorker::post(std::function<void()> job)
{
    State& state = *m_state;
    std::lock_guard lock(state.mutex);
    state.jobs.push_back(std::move(job));
    state.changed.notify_all();
}
