#pragma once
// A fixed set of threads that run submitted jobs in submission order. The pool is owned
// by something that outlives the work it is given (the application), so a job may go on
// after whoever submitted it stopped caring: a paced loop abandons work its consumer no
// longer wants, and the job finishes on the pool with nobody waiting for it.
//
// Destroying the pool runs the jobs still queued, then joins its threads. A job reports
// its own outcome (for example through a Rendezvous); an exception escaping a job is
// logged and dropped, so one faulty job cannot end the process.

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace quaylight {

// userInitiated runs at the process's own priority; utility lowers its threads a little,
// for background polling that should yield to the user's work.
enum class WorkPriority { userInitiated, utility };

class WorkerPool {
public:
    explicit WorkerPool(std::size_t threadCount = 2, WorkPriority priority = WorkPriority::userInitiated);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    void submit(std::function<void()> job);

private:
    void run(WorkPriority priority);

    std::mutex mutex_;
    std::condition_variable available_;
    std::deque<std::function<void()>> jobs_;
    bool closing_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace quaylight
