#include "QuaylightKit/terminator/StopOutcomes.h"

#include <gtest/gtest.h>

namespace quaylight {
namespace {

TEST(StopOutcomes, ProtectionMessages) {
    const std::vector<std::pair<ProtectionReason, std::string>> cases{
        {ProtectionReason::quaylightSelf, "Quaylight won\u2019t signal itself or a process it launched."},
        {ProtectionReason::hostApp, "That\u2019s a host app (editor or terminal) \u2014 Quaylight won\u2019t stop it."},
        {ProtectionReason::loginShell, "That\u2019s a login shell \u2014 Quaylight won\u2019t stop it."},
        {ProtectionReason::appleSystemProcess, "That\u2019s a system process \u2014 Quaylight won\u2019t stop it."},
        {ProtectionReason::unconfirmedOwner,
         "Quaylight can\u2019t confirm you own that process \u2014 it won\u2019t signal it."},
    };
    for (const auto& [reason, message] : cases) {
        EXPECT_EQ(KillOutcome::blocked(reason).message(), message);
        EXPECT_EQ(StopPoolOutcome::blocked(reason).message(), message);
        EXPECT_EQ(StopAgentOutcome::blocked(reason).message(), message);
        EXPECT_FALSE(KillOutcome::blocked(reason).isSuccess());
    }
}

TEST(StopOutcomes, KillMessagesAndSuccess) {
    const std::vector<std::tuple<KillOutcome, std::string, bool>> cases{
        {KillOutcome::signalFailed("SIGKILL", "No such device"), "Couldn\u2019t send SIGKILL: No such device.", false},
        {KillOutcome::signaled(), "Sent SIGTERM.", true},
        {KillOutcome::signaledForce(), "Sent SIGKILL.", true},
        {KillOutcome::alreadyExited(), "That process had already exited.", true},
        {KillOutcome::identityChanged(), "That PID now belongs to a different process \u2014 nothing was signaled.",
         false},
    };
    for (const auto& [outcome, message, success] : cases) {
        EXPECT_EQ(outcome.message(), message);
        EXPECT_EQ(outcome.isSuccess(), success) << message;
    }
}

TEST(StopOutcomes, PoolMessagesAndSuccess) {
    const std::vector<std::tuple<StopPoolOutcome, std::string, bool>> cases{
        {StopPoolOutcome::signaledMembers(3), "Sent SIGTERM to 3 pool workers.", true},
        {StopPoolOutcome::signaledMembers(1), "Sent SIGTERM to 1 pool worker.", true},
        {StopPoolOutcome::signalFailed("Bad things"), "Couldn\u2019t stop the pool: Bad things.", false},
        {StopPoolOutcome::signaledSupervisor(), "Sent SIGTERM to the pool supervisor.", true},
        {StopPoolOutcome::alreadyExited(), "That pool had already stopped.", true},
        {StopPoolOutcome::identityChanged(),
         "The pool supervisor\u2019s PID now belongs to a different process \u2014 nothing was signaled.", false},
        {StopPoolOutcome::noActionableTarget(), "Quaylight couldn\u2019t safely stop this pool.", false},
    };
    for (const auto& [outcome, message, success] : cases) {
        EXPECT_EQ(outcome.message(), message);
        EXPECT_EQ(outcome.isSuccess(), success) << message;
    }
}

TEST(StopOutcomes, AgentMessagesAndSuccess) {
    const std::vector<std::tuple<StopAgentOutcome, std::string, bool>> cases{
        {StopAgentOutcome::signalFailed("Bad things"), "Couldn\u2019t stop the agent: Bad things.", false},
        {StopAgentOutcome::signaled(), "Sent SIGTERM to the verified agent process.", true},
        {StopAgentOutcome::alreadyExited(), "That agent had already stopped.", true},
        {StopAgentOutcome::identityChanged(),
         "That PID now belongs to a different process \u2014 nothing was signaled.", false},
        {StopAgentOutcome::noLongerAgent(), "That process is no longer a verified agent \u2014 nothing was signaled.",
         false},
    };
    for (const auto& [outcome, message, success] : cases) {
        EXPECT_EQ(outcome.message(), message);
        EXPECT_EQ(outcome.isSuccess(), success) << message;
    }
}

TEST(StopOutcomes, StopVisibleSummary) {
    const std::vector<std::tuple<StopVisibleOutcome, std::string, bool>> cases{
        {{0, 0, 0, 0}, "Nothing needed stopping.", true},
        {{2, 1, 0, 0}, "Stopped 2 targets \u00b7 1 already exited.", true},
        {{1, 0, 1, 1}, "Stopped 1 target \u00b7 1 safely skipped \u00b7 1 failed.", false},
        {{0, 3, 0, 0}, "3 already exited.", true},
        {{0, 0, 0, 2}, "2 failed.", false},
        {{12, 0, 4, 0}, "Stopped 12 targets \u00b7 4 safely skipped.", false},
    };
    for (const auto& [outcome, message, success] : cases) {
        EXPECT_EQ(outcome.message(), message);
        EXPECT_EQ(outcome.isSuccess(), success) << message;
    }
}

}  // namespace
}  // namespace quaylight
