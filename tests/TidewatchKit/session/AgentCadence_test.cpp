#include "TidewatchKit/session/AgentCadence.h"

#include <gtest/gtest.h>

namespace quaylight {
namespace {

using namespace std::chrono_literals;

struct NormalCase {
    bool open;
    bool lowPower;
    BatteryMode mode;
    SleepDuration interval;
};

void PrintTo(const NormalCase& c, std::ostream* os) {
    *os << (c.open ? "open" : "closed") << (c.lowPower ? "_powerSaver_" : "_") << rawValue(c.mode);
}

class NormalInterval : public ::testing::TestWithParam<NormalCase> {};

TEST_P(NormalInterval, FollowsOpenRunsBatteryModeAndLowPower) {
    const auto& c = GetParam();
    EXPECT_EQ(AgentCadence::normalInterval(c.open, c.lowPower, c.mode), c.interval);
}

INSTANTIATE_TEST_SUITE_P(Table, NormalInterval,
                         ::testing::Values(NormalCase{true, false, BatteryMode::balanced, 2s},
                                           NormalCase{true, false, BatteryMode::batterySaver, 2s},
                                           NormalCase{true, true, BatteryMode::balanced, 4s},
                                           NormalCase{true, true, BatteryMode::batterySaver, 4s},
                                           NormalCase{false, false, BatteryMode::balanced, 5s},
                                           NormalCase{false, false, BatteryMode::batterySaver, 15s},
                                           NormalCase{false, true, BatteryMode::balanced, 10s},
                                           NormalCase{false, true, BatteryMode::batterySaver, 15s}));

AgentTrackingUpdate update(int counted, bool open, int finished = 0) {
    AgentTrackingUpdate u;
    for (int i = 0; i < counted; ++i) u.countedRuns.push_back(AgentRun{{{100 + i, 1, 0}, AgentKind::codex}, AgentKind::codex});
    for (int i = 0; i < finished; ++i) {
        AgentRun run{{{200 + i, 1, 0}, AgentKind::claude}, AgentKind::claude};
        run.state = AgentRunState::finished;
        u.finished.push_back(run);
    }
    u.hasOpenRun = open;
    return u;
}

struct TransitionCase {
    std::optional<AgentTrackingUpdate> last;
    AgentTrackingUpdate next;
    bool transition;
};

std::string describe(const AgentTrackingUpdate& u) {
    return std::to_string(u.countedRuns.size()) + "counted" + (u.hasOpenRun ? "_open" : "") +
           (u.finished.empty() ? "" : "_" + std::to_string(u.finished.size()) + "finished");
}

void PrintTo(const TransitionCase& c, std::ostream* os) {
    *os << (c.last ? describe(*c.last) : "none") << "_to_" << describe(c.next);
}

class Transitions : public ::testing::TestWithParam<TransitionCase> {};

TEST_P(Transitions, AreStartsFinishesAndChangesOfTheCountedTotal) {
    AgentCadence cadence;
    cadence.lastSuccessful = GetParam().last;
    cadence.record(GetParam().next);
    EXPECT_EQ(cadence.transitionObserved, GetParam().transition);
    EXPECT_EQ(cadence.lastSuccessful, GetParam().next);
}

INSTANTIATE_TEST_SUITE_P(Table, Transitions,
                         ::testing::Values(TransitionCase{std::nullopt, update(0, false), false},
                                           TransitionCase{std::nullopt, update(0, true), false},  // a candidate
                                           TransitionCase{std::nullopt, update(1, true), true},
                                           TransitionCase{update(1, true), update(1, true), false},
                                           TransitionCase{update(1, true), update(2, true), true},
                                           TransitionCase{update(2, true), update(1, true), true},
                                           TransitionCase{update(1, true), update(1, true, 1), true}));

TEST(AgentCadence, BurstIsFiveOneSecondSleepsThenTheNormalInterval) {
    AgentCadence cadence;
    cadence.record(update(1, true));
    std::vector<SleepDuration> sleeps;
    for (int i = 0; i < 7; ++i) sleeps.push_back(cadence.nextInterval(false, BatteryMode::balanced));
    EXPECT_EQ(sleeps, (std::vector<SleepDuration>{1s, 1s, 1s, 1s, 1s, 2s, 2s}));
    EXPECT_FALSE(cadence.transitionObserved);
}

TEST(AgentCadence, TransitionDuringABurstStartsItAgain) {
    AgentCadence cadence;
    cadence.record(update(1, true));
    cadence.nextInterval(false, BatteryMode::balanced);
    cadence.nextInterval(false, BatteryMode::balanced);
    cadence.record(update(2, true));
    std::vector<SleepDuration> sleeps;
    for (int i = 0; i < 6; ++i) sleeps.push_back(cadence.nextInterval(false, BatteryMode::balanced));
    EXPECT_EQ(sleeps, (std::vector<SleepDuration>{1s, 1s, 1s, 1s, 1s, 2s}));
}

TEST(AgentCadence, LowPowerModeSuppressesTheBurstButStillUsesItsTicks) {
    AgentCadence cadence;
    cadence.record(update(1, true));
    EXPECT_EQ(cadence.nextInterval(true, BatteryMode::balanced), 4s);
    EXPECT_EQ(cadence.cadenceState.burstTicksRemaining, 5);
    EXPECT_EQ(cadence.nextInterval(true, BatteryMode::balanced), 4s);
    EXPECT_EQ(cadence.nextInterval(false, BatteryMode::balanced), 1s);  // Low Power Mode went off mid-burst
    EXPECT_EQ(cadence.cadenceState.burstTicksRemaining, 3);
}

}  // namespace
}  // namespace quaylight
