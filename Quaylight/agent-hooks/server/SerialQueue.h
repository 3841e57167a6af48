#pragma once
// A serial queue on its own thread: tasks, descriptor read handlers and timers all run
// there one after another, so the state they touch needs no lock.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "ProcessCoreKit/support/OwnedDescriptor.h"
#include <vector>

namespace quaylight {

class SerialQueue {
public:
    using Duration = std::chrono::steady_clock::duration;
    using WatchID = std::uint64_t;

    explicit SerialQueue(std::string label);
    // Waits for the running task, then drops what is still queued.
    ~SerialQueue();
    SerialQueue(const SerialQueue&) = delete;
    SerialQueue& operator=(const SerialQueue&) = delete;

    const std::string& label() const { return label_; }
    bool isCurrent() const { return std::this_thread::get_id() == thread_.get_id(); }

    void async(std::function<void()> task);
    // Runs `task` on the queue and waits for it; runs it at once when called from the queue.
    void sync(const std::function<void()>& task);

    // The following are called on the queue only.
    // Calls `handler` whenever `fd` has data to read (or its peer closed), until unwatched.
    // Gives 0 when the descriptor cannot be watched.
    WatchID watchReadable(int fd, std::function<void()> handler);
    // After unwatching, no pending readiness of that watch reaches its handler.
    void unwatch(WatchID id);
    void after(Duration delay, std::function<void()> task);

private:
    void loop();
    void wake();
    void runDueTimers();

    std::string label_;
    OwnedDescriptor epoll_;
    OwnedDescriptor wakeFD_;

    std::mutex mutex_;
    std::vector<std::function<void()>> pending_;  // guarded by mutex_
    bool stopping_ = false;                       // guarded by mutex_

    // Touched on the queue only.
    struct Watch {
        int fd;
        std::function<void()> handler;
    };
    std::map<WatchID, Watch> watches_;
    WatchID nextWatch_ = 1;
    std::multimap<std::chrono::steady_clock::time_point, std::function<void()>> timers_;

    std::thread thread_;
};

}  // namespace quaylight
