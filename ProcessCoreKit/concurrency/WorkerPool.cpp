#include "ProcessCoreKit/concurrency/WorkerPool.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "ProcessCoreKit/support/Log.h"

namespace quaylight {
namespace {

constexpr int kUtilityNiceIncrement = 5;

// On Linux the nice value belongs to the thread, so this lowers only the calling worker.
void lowerCallingThreadPriority() {
    auto thread = static_cast<id_t>(::syscall(SYS_gettid));
    errno = 0;
    int current = ::getpriority(PRIO_PROCESS, thread);
    if (errno != 0) return;
    ::setpriority(PRIO_PROCESS, thread, std::min(current + kUtilityNiceIncrement, 19));  // best effort
}

}  // namespace

WorkerPool::WorkerPool(std::size_t threadCount, WorkPriority priority) {
    threadCount = std::max<std::size_t>(threadCount, 1);
    threads_.reserve(threadCount);
    for (std::size_t i = 0; i < threadCount; ++i) threads_.emplace_back([this, priority] { run(priority); });
}

WorkerPool::~WorkerPool() {
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
    }
    available_.notify_all();
    for (auto& thread : threads_) thread.join();
}

void WorkerPool::submit(std::function<void()> job) {
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(job));
    }
    available_.notify_one();
}

void WorkerPool::run(WorkPriority priority) {
    if (priority == WorkPriority::utility) lowerCallingThreadPriority();
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock lock(mutex_);
            available_.wait(lock, [&] { return closing_ || !jobs_.empty(); });
            if (jobs_.empty()) return;  // closing, and every queued job has run
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        try {
            job();
        } catch (...) {
            logging::write(LogSeverity::warning, "worker-pool", "a job threw: " + logging::currentExceptionText());
        }
    }
}

}  // namespace quaylight
