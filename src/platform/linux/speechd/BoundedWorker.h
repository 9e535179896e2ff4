#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

// A thread that runs jobs for its caller, who waits for a job only while the
// thread waits for the daemon, and only until the bound the job gave itself.
// The thread's own work (reading a text, opening a dictionary) is no sign of a
// dead daemon and holds no caller. A job running into its bound counts as a
// failure, and after the first failure every call fails at once.
class BoundedWorker
{
public:
    static constexpr int Failed = -1;

    using Clock = std::chrono::steady_clock;
    // What the thread is doing. Only Daemon counts against the bounds.
    enum class Activity { Idle, Busy, OwnWork, Daemon };

    // Shared by the caller, the thread and whatever else must outlive a thread
    // abandoned inside a call to a dead daemon, so that such a thread never
    // touches freed memory. Others keep their own state beside it, under the
    // same lock.
    struct State {
        std::mutex mutex;
        std::condition_variable changed;

        // Under mutex.
        std::deque<std::function<void()>> jobs;
        bool quit = false;
        bool workerDone = false;
        bool failed = false;
        Activity activity = Activity::Idle;
        // While the thread waits for the daemon: when its answer is overdue.
        Clock::time_point daemonDeadline;

        // Under mutex.
        bool overdue(Clock::time_point now) const
        {
            return activity == Activity::Daemon && now >= daemonDeadline;
        }

        void setActivity(Activity now, Clock::time_point deadline = {});
        // Holding the lock: the job runs before anything already queued.
        void runNext(std::function<void()> job);
        // Holding the lock: waits for a change, or until the daemon's answer is
        // overdue, or at most until `until`.
        void waitForChange(std::unique_lock<std::mutex>& lock, Clock::time_point until = Clock::time_point::max());
        // Nothing more goes to the daemon once a call failed or the owner goes.
        bool mayAsk();
        void fail();
    };

    // The thread waits for the daemon in here: callers hold this, and only
    // this, against the bound.
    class WithDaemon
    {
    public:
        WithDaemon(State& state, std::chrono::milliseconds bound);
        ~WithDaemon();
        WithDaemon(const WithDaemon&) = delete;
        WithDaemon& operator=(const WithDaemon&) = delete;

    private:
        State& m_state;
    };

    // The program's own work: callers go on without waiting for it.
    class OwnWork
    {
    public:
        explicit OwnWork(State& state);
        ~OwnWork();
        OwnWork(const OwnWork&) = delete;
        OwnWork& operator=(const OwnWork&) = delete;

    private:
        State& m_state;
    };

    // Starts the thread; throws std::system_error when there is none to start.
    // lastly runs on the thread after its last job, when the owner has gone.
    // The owner going waits at most exitBound for the thread's own work.
    BoundedWorker(std::shared_ptr<State> state, std::function<void()> lastly,
                  std::chrono::milliseconds exitBound);
    ~BoundedWorker();
    BoundedWorker(const BoundedWorker&) = delete;
    BoundedWorker& operator=(const BoundedWorker&) = delete;

    // Runs the job and returns its answer (Failed for any negative one), or 0
    // without the answer as soon as the thread turns to its own work: a
    // failure the job meets later makes the next call fail.
    int call(std::function<int()> job);
    // Runs the job without waiting for it.
    void post(std::function<void()> job);

private:
    std::shared_ptr<State> m_state;
    std::chrono::milliseconds m_exitBound;
    std::thread m_thread;
};
