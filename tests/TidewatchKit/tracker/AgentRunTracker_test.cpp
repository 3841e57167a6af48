#include "TidewatchKit/tracker/AgentRunTracker.h"

#include <gtest/gtest.h>

namespace quaylight {
namespace {

ProcessIdentity pid(std::int32_t n) { return {n, 1000, 0}; }

AgentObservation agent(std::int32_t n, AgentKind kind, bool working, std::optional<std::int32_t> parent = {},
                       std::optional<HostAppKind> host = {}) {
    return {pid(n), kind, host, parent ? std::optional(pid(*parent)) : std::nullopt, working};
}

AgentRunIdentity key(std::int32_t n, AgentKind kind) { return {pid(n), kind}; }

char letter(AgentRunState state) { return rawValue(state)[0]; }

// One agent observed tick after tick: W works, Q is quiet. The states after each tick,
// as the first letter of their raw value (c, a, i).
struct StateCase {
    std::string ticks;
    std::string states;
};

void PrintTo(const StateCase& c, std::ostream* os) { *os << c.ticks; }

class RunStates : public ::testing::TestWithParam<StateCase> {};

TEST_P(RunStates, FollowTheDebounceRules) {
    AgentRunTracker tracker;
    std::string states;
    for (char tick : GetParam().ticks) {
        EXPECT_TRUE(tracker.observe({agent(10, AgentKind::codex, tick == 'W')}).empty());
        states += letter(tracker.runs.at(key(10, AgentKind::codex)).state);
    }
    EXPECT_EQ(states, GetParam().states) << GetParam().ticks;
}

INSTANTIATE_TEST_SUITE_P(
    Table, RunStates,
    ::testing::Values(StateCase{"W", "c"},                            // a candidate first
                      StateCase{"WW", "ca"},                          // active on the second working tick
                      StateCase{"WQ", "cc"},                          // a single burst is no run
                      StateCase{"WQWQW", "ccccc"},                    // working ticks must be consecutive
                      StateCase{"WQWW", "ccca"},                      //
                      StateCase{"WWQQQQ", "caaaaa"},                  // four quiet ticks stay active
                      StateCase{"WWQQQQQ", "caaaaai"},                // the fifth makes it idle
                      StateCase{"WWQQQQQQQ", "caaaaaiii"},            // idle stays idle
                      StateCase{"WWQQQQQWQQQQ", "caaaaaiaaaaa"},      // back to active, quiet count reset
                      StateCase{"WWQQQQQWQQQQQ", "caaaaaiaaaaai"},    // five new quiet ticks
                      StateCase{"WWQQWQQQQ", "caaaaaaaa"},            // a working tick resets the quiet count
                      StateCase{"QQQ", "ccc"}));                      // never working

TEST(AgentRunTracker, CountersFollowTheTable) {
    AgentRunTracker tracker;
    auto run = [&] { return tracker.runs.at(key(10, AgentKind::codex)); };
    tracker.observe({agent(10, AgentKind::codex, true)});
    EXPECT_EQ(run().consecutiveWorking, 1);
    tracker.observe({agent(10, AgentKind::codex, false)});
    EXPECT_EQ(run().consecutiveWorking, 0);
    tracker.observe({agent(10, AgentKind::codex, true)});
    tracker.observe({agent(10, AgentKind::codex, true)});
    EXPECT_EQ(run().state, AgentRunState::active);
    EXPECT_EQ(run().consecutiveWorking, 2);  // kept once active
    EXPECT_EQ(run().consecutiveQuiet, 0);
    tracker.observe({agent(10, AgentKind::codex, false)});
    tracker.observe({agent(10, AgentKind::codex, false)});
    EXPECT_EQ(run().consecutiveQuiet, 2);
}

TEST(AgentRunTracker, ActiveOrIdleRunIsReportedFinishedExactlyOnce) {
    for (int quietTicks : {0, 5}) {
        AgentRunTracker tracker;
        tracker.observe({agent(10, AgentKind::claude, true)});
        tracker.observe({agent(10, AgentKind::claude, true)});
        for (int i = 0; i < quietTicks; ++i) tracker.observe({agent(10, AgentKind::claude, false)});
        auto before = tracker.runs.at(key(10, AgentKind::claude));
        ASSERT_TRUE(before.isCounted());

        auto finished = tracker.observe({});
        ASSERT_EQ(finished.size(), 1u) << quietTicks;
        auto expected = before;
        expected.state = AgentRunState::finished;
        EXPECT_EQ(finished[0], expected);
        EXPECT_TRUE(tracker.countedRuns().empty());
        EXPECT_TRUE(tracker.runs.empty());
        EXPECT_FALSE(tracker.hasOpenRun());
        EXPECT_TRUE(tracker.observe({}).empty());
    }
}

TEST(AgentRunTracker, CandidateThatVanishesLeavesNoTrace) {
    AgentRunTracker tracker;
    tracker.observe({agent(10, AgentKind::codex, true)});
    EXPECT_TRUE(tracker.hasOpenRun());
    EXPECT_TRUE(tracker.countedRuns().empty());
    EXPECT_TRUE(tracker.observe({}).empty());
    EXPECT_TRUE(tracker.runs.empty());
}

TEST(AgentRunTracker, ProcessThatReturnsStartsAgainAsACandidate) {
    AgentRunTracker tracker;
    tracker.observe({agent(10, AgentKind::codex, true)});
    tracker.observe({agent(10, AgentKind::codex, true)});
    tracker.observe({});
    tracker.observe({agent(10, AgentKind::codex, true)});
    EXPECT_EQ(tracker.runs.at(key(10, AgentKind::codex)).state, AgentRunState::candidate);
}

struct ProviderCase {
    AgentKind detected;
    std::optional<HostAppKind> firstHost;
    std::optional<HostAppKind> secondHost;
    AgentKind providerAfterFirst;
    AgentKind providerAfterSecond;
};

std::string_view hostName(const std::optional<HostAppKind>& host) { return host ? rawValue(*host) : "none"; }

void PrintTo(const ProviderCase& c, std::ostream* os) {
    *os << rawValue(c.detected) << "_from_" << hostName(c.firstHost) << "_then_" << hostName(c.secondHost);
}

class Providers : public ::testing::TestWithParam<ProviderCase> {};

TEST_P(Providers, FollowTheHostApp) {
    const auto& c = GetParam();
    AgentRunTracker tracker;
    tracker.observe({agent(10, c.detected, false, {}, c.firstHost)});
    EXPECT_EQ(tracker.runs.at(key(10, c.detected)).provider, c.providerAfterFirst);
    tracker.observe({agent(10, c.detected, false, {}, c.secondHost)});
    const auto& run = tracker.runs.at(key(10, c.detected));
    EXPECT_EQ(run.provider, c.providerAfterSecond);
    EXPECT_EQ(run.kind(), run.provider);
    EXPECT_EQ(run.detectedKind(), c.detected);
    EXPECT_EQ(run.host, c.secondHost);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Providers,
    ::testing::Values(
        // Claude Code started from the ChatGPT app counts as Codex, from the Claude app as Claude.
        ProviderCase{AgentKind::claude, HostAppKind::chatgpt, HostAppKind::chatgpt, AgentKind::codex, AgentKind::codex},
        ProviderCase{AgentKind::codex, HostAppKind::claudeDesktop, HostAppKind::claudeDesktop, AgentKind::claude,
                     AgentKind::claude},
        // A terminal or editor keeps the detected kind.
        ProviderCase{AgentKind::claude, HostAppKind::terminal, HostAppKind::vscode, AgentKind::claude,
                     AgentKind::claude},
        ProviderCase{AgentKind::claude, HostAppKind::chatgpt, HostAppKind::ghostty, AgentKind::codex,
                     AgentKind::claude},
        // Without a host the previous provider stays; a new run takes its detected kind.
        ProviderCase{AgentKind::claude, HostAppKind::chatgpt, std::nullopt, AgentKind::codex, AgentKind::codex},
        ProviderCase{AgentKind::codex, std::nullopt, std::nullopt, AgentKind::codex, AgentKind::codex}));

TEST(AgentRunTracker, NestedAgentOfTheSameKindFoldsIntoTheOuterRunAndKeepsItWorking) {
    AgentRunTracker tracker;
    // 10 heads the session, 11 is nested in it, 12 nested in 11; only 12 is busy.
    std::vector<AgentObservation> tick{agent(10, AgentKind::claude, false), agent(11, AgentKind::claude, false, 10),
                                       agent(12, AgentKind::claude, true, 11)};
    tracker.observe(tick);
    tracker.observe(tick);
    ASSERT_EQ(tracker.runs.size(), 1u);
    EXPECT_EQ(tracker.runs.at(key(10, AgentKind::claude)).state, AgentRunState::active);
}

TEST(AgentRunTracker, NestedAgentOfTheOtherKindIsARunOfItsOwn) {
    AgentRunTracker tracker;
    std::vector<AgentObservation> tick{agent(10, AgentKind::claude, false), agent(11, AgentKind::codex, true, 10)};
    tracker.observe(tick);
    tracker.observe(tick);
    ASSERT_EQ(tracker.runs.size(), 2u);
    EXPECT_EQ(tracker.runs.at(key(10, AgentKind::claude)).state, AgentRunState::candidate);
    EXPECT_EQ(tracker.runs.at(key(11, AgentKind::codex)).state, AgentRunState::active);
}

TEST(AgentRunTracker, ParentLinksThatLoopMakeEveryObservationOnThemARun) {
    auto tops = AgentRunTracker::topLevelObservations({agent(10, AgentKind::codex, false, 11),
                                                       agent(11, AgentKind::codex, true, 10),
                                                       agent(12, AgentKind::codex, false, 10)});  // leads into the loop
    ASSERT_EQ(tops.size(), 3u);
    EXPECT_EQ(tops[0].identity, pid(10));
    EXPECT_FALSE(tops[0].isWorking);  // a loop member has no children
    EXPECT_TRUE(tops[1].isWorking);
    EXPECT_EQ(tops[2].identity, pid(12));
}

TEST(AgentRunTracker, TopLevelObservationsKeepInputOrderAndTheLastDuplicate) {
    auto tops = AgentRunTracker::topLevelObservations({agent(30, AgentKind::codex, false),
                                                       agent(20, AgentKind::claude, false),
                                                       agent(21, AgentKind::claude, true, 20),
                                                       agent(30, AgentKind::codex, true)});
    ASSERT_EQ(tops.size(), 2u);
    EXPECT_EQ(tops[0], agent(30, AgentKind::codex, true));
    EXPECT_EQ(tops[1], agent(20, AgentKind::claude, true));  // working lifted from its child
}

TEST(AgentRunTracker, ParentThatIsNotObservedLeavesTheAgentTopLevel) {
    auto tops = AgentRunTracker::topLevelObservations({agent(11, AgentKind::codex, true, 10)});
    ASSERT_EQ(tops.size(), 1u);
    EXPECT_EQ(tops[0].parentIdentity, pid(10));
}

TEST(AgentRunTracker, CountedRunsAndFinishedRunsAreSortedByProviderThenPidThenStartTime) {
    AgentRunTracker tracker;
    auto late = agent(5, AgentKind::codex, true);
    late.identity.startTimeMicroseconds = 7;
    std::vector<AgentObservation> tick{agent(40, AgentKind::claude, true), agent(30, AgentKind::codex, true),
                                       agent(3, AgentKind::claude, true), late, agent(5, AgentKind::codex, true)};
    tick[4].identity.startTimeSeconds = 999;  // same PID, older process: not a parent of `late`
    tracker.observe(tick);
    tracker.observe(tick);
    std::vector<std::pair<std::int32_t, std::uint64_t>> order;
    for (const auto& run : tracker.countedRuns()) order.emplace_back(run.identity.process.pid, run.identity.process.startTimeSeconds);
    EXPECT_EQ(order, (std::vector<std::pair<std::int32_t, std::uint64_t>>{{5, 999}, {5, 1000}, {30, 1000}, {3, 1000}, {40, 1000}}));

    auto finished = tracker.observe({});
    ASSERT_EQ(finished.size(), 5u);
    EXPECT_EQ(finished[0].identity.process.startTimeSeconds, 999u);
    EXPECT_EQ(finished[4].identity.process.pid, 40);
}

TEST(AgentRunTracker, ProviderDecidesTheSortNotTheDetectedKind) {
    AgentRunTracker tracker;
    std::vector<AgentObservation> tick{agent(1, AgentKind::codex, true),
                                       agent(9, AgentKind::claude, true, {}, HostAppKind::chatgpt)};
    tracker.observe(tick);
    tracker.observe(tick);
    auto counted = tracker.countedRuns();
    ASSERT_EQ(counted.size(), 2u);
    EXPECT_EQ(counted[1].identity.process.pid, 9);  // presented as Codex, after PID 1
    EXPECT_EQ(counted[1].provider, AgentKind::codex);
}

TEST(AgentRunState, RawValuesAreExactlyTheFour) {
    for (auto state : allCases<AgentRunState>()) EXPECT_EQ(fromRawValue<AgentRunState>(rawValue(state)), state);
    EXPECT_FALSE(fromRawValue<AgentRunState>("Active"));
    EXPECT_FALSE(fromRawValue<AgentRunState>(""));
    EXPECT_TRUE(isCounted(AgentRunState::active));
    EXPECT_TRUE(isCounted(AgentRunState::idle));
    EXPECT_FALSE(isCounted(AgentRunState::candidate));
    EXPECT_FALSE(isCounted(AgentRunState::finished));
}

}  // namespace
}  // namespace quaylight
