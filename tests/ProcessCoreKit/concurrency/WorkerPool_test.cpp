#include "ProcessCoreKit/concurrency/WorkerPool.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <future>
#include <stdexcept>

#include "tests/support/LogCapture.h"

namespace quaylight {
namespace {

int callingThreadNice() { return ::getpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid))); }

TEST(WorkerPool, RunsEveryJobAndFinishesQueuedOnesBeforeItGoes) {
    std::atomic<int> ran = 0;
    {
        WorkerPool pool(3);
        for (int i = 0; i < 100; ++i) pool.submit([&] { ++ran; });
    }
    EXPECT_EQ(ran, 100);
}

TEST(WorkerPool, JobThatThrowsDoesNotStopThePool) {
    WorkerPool pool(1);
    pool.submit([] { throw std::runtime_error("faulty job"); });
    std::promise<int> after;
    pool.submit([&] { after.set_value(1); });
    EXPECT_EQ(after.get_future().get(), 1);
}

TEST(WorkerPool, JobThatThrowsLeavesAWarning) {
    testsupport::LogCapture log;
    {
        WorkerPool pool(1);
        pool.submit([] { throw std::runtime_error("faulty job"); });
    }
    EXPECT_EQ(log.lines(), (std::vector<std::string>{"warning [worker-pool] a job threw: faulty job"}));
}

TEST(WorkerPool, UtilityWorkersRunBelowTheCallersPriority) {
    int base = callingThreadNice();
    WorkerPool pool(1, WorkPriority::utility);
    std::promise<int> nice;
    pool.submit([&] { nice.set_value(callingThreadNice()); });
    int workerNice = nice.get_future().get();
    if (base >= 19) GTEST_SKIP() << "already at the lowest priority";
    EXPECT_GT(workerNice, base);
}

}  // namespace
}  // namespace quaylight
