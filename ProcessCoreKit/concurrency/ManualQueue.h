#pragma once
// The owner's thread, for tests of LoopLifecycle users: closures posted from any thread
// wait in order until the test runs them on its own thread.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>

namespace quaylight {

class ManualQueue {
public:
    void post(std::function<void()> closure) {
        {
            std::lock_guard lock(mutex_);
            queue_.push_back(std::move(closure));
            ++posted_;
        }
        changed_.notify_all();
    }

    // A postToOwner closure that feeds this queue; the queue must outlive its users.
    std::function<void(std::function<void()>)> poster() {
        return [this](std::function<void()> closure) { post(std::move(closure)); };
    }

    // Runs the closures queued so far, in order; returns how many ran.
    std::size_t runPending() {
        std::deque<std::function<void()>> batch;
        {
            std::lock_guard lock(mutex_);
            batch.swap(queue_);
        }
        for (auto& closure : batch) closure();
        return batch.size();
    }

    // True once at least `count` closures were posted since the queue was made.
    bool waitForPosts(std::size_t count, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, limit, [&] { return posted_ >= count; });
    }

    std::size_t postedCount() {
        std::lock_guard lock(mutex_);
        return posted_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::function<void()>> queue_;
    std::size_t posted_ = 0;
};

}  // namespace quaylight
