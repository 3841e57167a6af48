#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <future>
#include <stdexcept>
#include <thread>

#include "Quaylight/agent-hooks/server/SerialQueue.h"
#include "tests/support/LogCapture.h"

namespace quaylight {
namespace {

using namespace std::chrono_literals;

TEST(SerialQueue, SyncRunsOnTheQueueAndNestsWithoutDeadlock) {
    SerialQueue queue("test");
    std::thread::id ranOn;
    bool nestedRan = false;
    queue.sync([&] {
        ranOn = std::this_thread::get_id();
        EXPECT_TRUE(queue.isCurrent());
        queue.sync([&] { nestedRan = true; });
    });
    EXPECT_NE(ranOn, std::this_thread::get_id());
    EXPECT_TRUE(nestedRan);
    EXPECT_FALSE(queue.isCurrent());
}

TEST(SerialQueue, TasksRunInOrder) {
    SerialQueue queue("test");
    std::vector<int> order;
    for (int i = 0; i < 100; ++i) queue.async([&order, i] { order.push_back(i); });
    queue.sync([] {});
    ASSERT_EQ(order.size(), 100u);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(order[static_cast<std::size_t>(i)], i);
}

TEST(SerialQueue, AThrowingTaskLosesOnlyItsOwnWork) {
    SerialQueue queue("test");
    queue.async([] { throw std::runtime_error("broken task"); });
    queue.async([&queue] { queue.after(0ms, [] { throw std::runtime_error("broken timer"); }); });
    EXPECT_THROW(queue.sync([] { throw std::runtime_error("broken sync"); }), std::runtime_error);
    bool ranAfter = false;
    queue.sync([&] { ranAfter = true; });
    EXPECT_TRUE(ranAfter);
}

TEST(SerialQueue, AThrowingTaskOrTimerLeavesAWarningNamingTheQueue) {
    testsupport::LogCapture log;
    {
        SerialQueue queue("hooks");
        queue.async([] { throw std::runtime_error("broken task"); });
        queue.sync([&queue] { queue.after(0ms, [] { throw std::runtime_error("broken timer"); }); });
        while (log.records().size() < 2) queue.sync([] {});
    }
    EXPECT_EQ(log.lines(), (std::vector<std::string>{"warning [serial-queue] hooks: a task or handler threw: broken task",
                                                     "warning [serial-queue] hooks: a task or handler threw: broken timer"}));
}

TEST(SerialQueue, TimersFireInDeadlineOrder) {
    SerialQueue queue("test");
    std::vector<int> fired;
    std::promise<void> done;
    queue.sync([&] {
        queue.after(60ms, [&] {
            fired.push_back(2);
            done.set_value();
        });
        queue.after(10ms, [&] { fired.push_back(1); });
    });
    ASSERT_EQ(done.get_future().wait_for(10s), std::future_status::ready);
    queue.sync([&] { EXPECT_EQ(fired, (std::vector<int>{1, 2})); });
}

TEST(SerialQueue, ReadHandlersRunUntilUnwatched) {
    SerialQueue queue("test");
    int pair[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, pair), 0);
    std::atomic<int> reads{0};
    std::promise<void> first;
    SerialQueue::WatchID id = 0;
    queue.sync([&] {
        id = queue.watchReadable(pair[0], [&] {
            char buffer[16];
            while (read(pair[0], buffer, sizeof buffer) > 0) {
            }
            if (reads++ == 0) first.set_value();
        });
    });
    ASSERT_NE(id, 0u);
    ASSERT_EQ(write(pair[1], "x", 1), 1);
    ASSERT_EQ(first.get_future().wait_for(10s), std::future_status::ready);
    queue.sync([&] { queue.unwatch(id); });
    ASSERT_EQ(write(pair[1], "y", 1), 1);
    queue.sync([] {});
    queue.sync([] {});
    EXPECT_EQ(reads.load(), 1);
    close(pair[0]);
    close(pair[1]);
}

}  // namespace
}  // namespace quaylight
