#include "Quaylight/agent-hooks/server/SerialQueue.h"

#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <future>

#include "ProcessCoreKit/support/Log.h"

namespace quaylight {
namespace {

// The wake descriptor's watch id: real watches start at 1.
constexpr std::uint64_t wakeID = 0;

// A task or handler that throws loses only its own work: the queue's thread must go on
// serving everything else, and must not take the application down with it.
void runGuarded(const std::function<void()>& work, const std::string& label) {
    try {
        work();
    } catch (...) {
        logging::write(LogSeverity::warning, "serial-queue",
                       label + ": a task or handler threw: " + logging::currentExceptionText());
    }
}

}  // namespace

SerialQueue::SerialQueue(std::string label) : label_(std::move(label)) {
    epoll_.reset(epoll_create1(EPOLL_CLOEXEC));
    wakeFD_.reset(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.u64 = wakeID;
    epoll_ctl(epoll_.get(), EPOLL_CTL_ADD, wakeFD_.get(), &event);
    thread_ = std::thread([this] { loop(); });
}

SerialQueue::~SerialQueue() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake();
    if (thread_.joinable()) thread_.join();
}

void SerialQueue::wake() {
    std::uint64_t one = 1;
    while (write(wakeFD_.get(), &one, sizeof one) < 0 && errno == EINTR) {
    }
}

void SerialQueue::async(std::function<void()> task) {
    {
        std::lock_guard lock(mutex_);
        pending_.push_back(std::move(task));
    }
    wake();
}

void SerialQueue::sync(const std::function<void()>& task) {
    if (isCurrent()) {
        task();
        return;
    }
    std::promise<void> done;
    auto finished = done.get_future();
    async([&] {
        try {
            task();
            done.set_value();
        } catch (...) {
            done.set_exception(std::current_exception());  // rethrown to the caller below
        }
    });
    finished.get();
}

SerialQueue::WatchID SerialQueue::watchReadable(int fd, std::function<void()> handler) {
    WatchID id = nextWatch_++;
    epoll_event event{};
    event.events = EPOLLIN | EPOLLRDHUP;
    event.data.u64 = id;
    if (epoll_ctl(epoll_.get(), EPOLL_CTL_ADD, fd, &event) != 0) return 0;
    watches_.emplace(id, Watch{fd, std::move(handler)});
    return id;
}

void SerialQueue::unwatch(WatchID id) {
    auto it = watches_.find(id);
    if (it == watches_.end()) return;
    epoll_ctl(epoll_.get(), EPOLL_CTL_DEL, it->second.fd, nullptr);
    watches_.erase(it);
}

void SerialQueue::after(Duration delay, std::function<void()> task) {
    timers_.emplace(std::chrono::steady_clock::now() + delay, std::move(task));
}

void SerialQueue::runDueTimers() {
    auto now = std::chrono::steady_clock::now();
    while (!timers_.empty() && timers_.begin()->first <= now) {
        auto task = std::move(timers_.begin()->second);
        timers_.erase(timers_.begin());
        runGuarded(task, label_);
    }
}

void SerialQueue::loop() {
    std::array<epoll_event, 32> events{};
    for (;;) {
        int timeout = -1;
        if (!timers_.empty()) {
            auto left = std::chrono::ceil<std::chrono::milliseconds>(timers_.begin()->first -
                                                                     std::chrono::steady_clock::now());
            timeout = static_cast<int>(std::max<std::int64_t>(left.count(), 0));
        }
        int ready = epoll_wait(epoll_.get(), events.data(), static_cast<int>(events.size()), timeout);
        if (ready < 0 && errno != EINTR) ready = 0;
        for (int i = 0; i < ready; ++i) {
            if (events[static_cast<std::size_t>(i)].data.u64 == wakeID) {
                std::uint64_t count = 0;
                while (read(wakeFD_.get(), &count, sizeof count) < 0 && errno == EINTR) {
                }
                continue;
            }
            // Looked up by watch id, not descriptor: a handler earlier in this batch may
            // have closed a descriptor whose number a new connection now reuses.
            auto watch = watches_.find(events[static_cast<std::size_t>(i)].data.u64);
            if (watch == watches_.end()) continue;
            auto handler = watch->second.handler;  // the handler may unwatch itself
            runGuarded(handler, label_);
        }
        runDueTimers();
        std::vector<std::function<void()>> tasks;
        {
            std::lock_guard lock(mutex_);
            if (stopping_) return;
            tasks.swap(pending_);
        }
        for (auto& task : tasks) runGuarded(task, label_);
    }
}

}  // namespace quaylight
