#include "ProcessCoreKit/concurrency/Rendezvous.h"

#include <gtest/gtest.h>

#include <future>
#include <memory>
#include <thread>

namespace quaylight {
namespace {

TEST(Rendezvous, ValueResumedBeforeTheWaitIsKeptForIt) {
    Rendezvous<int> handOver;
    EXPECT_TRUE(handOver.resume(7));
    EXPECT_EQ(handOver.wait(std::stop_token()), 7);
}

TEST(Rendezvous, WaiterWakesWhenTheProducerResumesLater) {
    auto handOver = std::make_shared<Rendezvous<int>>();
    auto waiter = std::async(std::launch::async, [handOver] { return handOver->wait(std::stop_token()); });
    std::thread producer([handOver] { handOver->resume(42); });
    producer.join();
    EXPECT_EQ(waiter.get(), 42);
}

TEST(Rendezvous, ReturnsOnceResumedEvenWithNoValue) {
    Rendezvous<std::optional<int>> before;
    before.resume(std::nullopt);
    auto early = before.wait(std::stop_token());
    ASSERT_TRUE(early.has_value());
    EXPECT_FALSE(early->has_value());

    auto after = std::make_shared<Rendezvous<std::optional<int>>>();
    auto waiter = std::async(std::launch::async, [after] { return after->wait(std::stop_token()); });
    after->resume(std::nullopt);
    auto late = waiter.get();
    ASSERT_TRUE(late.has_value());
    EXPECT_FALSE(late->has_value());
}

TEST(Rendezvous, FirstResumeWins) {
    Rendezvous<int> handOver;
    EXPECT_TRUE(handOver.resume(1));
    EXPECT_FALSE(handOver.resume(2));
    EXPECT_EQ(handOver.wait(std::stop_token()), 1);
    EXPECT_EQ(handOver.wait(std::stop_token()), std::nullopt);  // single use
}

TEST(Rendezvous, ConsumerCancelledBeforeWaitingDoesNotHang) {
    Rendezvous<int> handOver;
    std::stop_source cancel;
    cancel.request_stop();
    EXPECT_EQ(handOver.wait(cancel.get_token()), std::nullopt);
    // The producer may still come; its value is kept for nobody and does no harm.
    EXPECT_TRUE(handOver.resume(3));
}

TEST(Rendezvous, CancellationWakesAWaiter) {
    auto handOver = std::make_shared<Rendezvous<int>>();
    std::stop_source cancel;
    auto waiter = std::async(std::launch::async,
                             [handOver, token = cancel.get_token()] { return handOver->wait(token); });
    cancel.request_stop();
    EXPECT_EQ(waiter.get(), std::nullopt);
    EXPECT_FALSE(handOver->isResumed());
}

TEST(Rendezvous, ValueResumedBeforeCancellationStillArrives) {
    Rendezvous<int> handOver;
    handOver.resume(5);
    std::stop_source cancel;
    cancel.request_stop();
    EXPECT_EQ(handOver.wait(cancel.get_token()), 5);
}

}  // namespace
}  // namespace quaylight
