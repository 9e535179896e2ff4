#pragma once

#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <system_error>
#include <thread>

// Runs work on a thread of its own and waits for its answer no longer than
// bound: nothing when the bound ran out first. The work then goes on alone,
// so it must own whatever it uses. Without a thread to spare the work runs
// here, unbounded, as it would without this.
template <typename Result>
std::optional<Result> runBounded(std::function<Result()> work, std::chrono::milliseconds bound)
{
    auto task = std::make_shared<std::packaged_task<Result()>>(std::move(work));
    std::future<Result> answer = task->get_future();
    try {
        std::thread([task] { (*task)(); }).detach();
    } catch (const std::system_error&) {
        (*task)();
    }
    if (answer.wait_for(bound) != std::future_status::ready)
        return std::nullopt;
    return answer.get();
}
