#include <sstream>

#include <gtest/gtest.h>

#include "tests/Quaylight/agent-inventory/support/InventoryTesting.h"

namespace quaylight::testsupport {
namespace {

EventKind eventNamed(const std::string& word) {
    static const std::map<std::string, EventKind> names{
        {"start", EventKind::sessionStart},        {"prompt", EventKind::promptSubmitted},
        {"permission", EventKind::permissionRequested}, {"input", EventKind::needsInputNotification},
        {"idle", EventKind::idleNotification},     {"turnEnded", EventKind::turnEnded},
        {"failed", EventKind::turnFailed},         {"end", EventKind::sessionEnded},
        {"test", EventKind::connectionTest},
    };
    return names.at(word);
}

// Events of one Claude session "s1", one second apart from +1s on, with no origin.
void tell(Story& story, const std::string& events) {
    std::istringstream words(events);
    std::string word;
    for (int second = 1; words >> word; ++second)
        story.hook(t(std::chrono::seconds(second)), AgentKind::claude, eventNamed(word), "s1");
}

struct EventCase {
    std::string events;
    std::vector<std::string> rows;
    std::vector<std::string> edges;
};

void PrintTo(const EventCase& c, std::ostream* os) { *os << '"' << c.events << '"'; }

class HookEventTable : public ::testing::TestWithParam<EventCase> {};

TEST_P(HookEventTable, DecidesTheSessionState) {
    Story story;
    tell(story, GetParam().events);
    EXPECT_EQ(story.rows(), GetParam().rows) << GetParam().events;
    EXPECT_EQ(story.takeEdges(), GetParam().edges) << GetParam().events;
}

const std::string permission = "\"Waiting for permission approval.\"";
const std::string input = "\"The agent asked for your input.\"";
const std::string failure = "\"The last turn ended with an error.\"";

INSTANTIATE_TEST_SUITE_P(
    Table, HookEventTable,
    ::testing::Values(
        EventCase{"start", {"hook:claude/s1 claude detected"}, {}},
        EventCase{"prompt", {"hook:claude/s1 claude working"}, {}},
        EventCase{"permission", {"hook:claude/s1 claude needsAttention " + permission}, {}},
        EventCase{"input", {"hook:claude/s1 claude needsAttention " + input}, {}},
        // The first event decides: a new record starts detected.
        EventCase{"turnEnded", {"hook:claude/s1 claude waiting"}, {}},
        EventCase{"idle", {"hook:claude/s1 claude waiting"}, {}},
        EventCase{"failed", {"hook:claude/s1 claude waiting " + failure}, {}},
        // Attention stands through idle and failure notices; only a turn's end clears it.
        EventCase{"permission idle", {"hook:claude/s1 claude needsAttention " + permission}, {}},
        EventCase{"permission failed", {"hook:claude/s1 claude needsAttention " + permission}, {}},
        EventCase{"input idle", {"hook:claude/s1 claude needsAttention " + input}, {}},
        EventCase{"permission turnEnded", {"hook:claude/s1 claude waiting"}, {}},
        EventCase{"permission prompt", {"hook:claude/s1 claude working"}, {}},
        EventCase{"prompt failed", {"hook:claude/s1 claude waiting " + failure}, {}},
        EventCase{"prompt failed prompt", {"hook:claude/s1 claude working"}, {}},
        EventCase{"prompt idle", {"hook:claude/s1 claude waiting"}, {}},
        EventCase{"prompt start", {"hook:claude/s1 claude detected"}, {}},
        EventCase{"test", {}, {}},
        EventCase{"prompt test", {"hook:claude/s1 claude working"}, {}},
        // The end of an eligible session leaves a finished row and one edge.
        EventCase{"prompt end", {"hook:claude/s1 claude recentlyFinished"}, {"hook:claude/s1 claude +2s"}},
        EventCase{"permission end", {"hook:claude/s1 claude recentlyFinished"}, {"hook:claude/s1 claude +2s"}},
        // Never beyond detected: no finished row, no edge.
        EventCase{"start end", {}, {}},
        EventCase{"end", {}, {}},
        // Eligibility is sticky: a session that worked once finishes even from detected.
        EventCase{"prompt start end", {"hook:claude/s1 claude recentlyFinished"}, {"hook:claude/s1 claude +3s"}},
        // Late events of an ended session are ignored; a new start begins a new generation.
        EventCase{"prompt end prompt permission", {"hook:claude/s1 claude recentlyFinished"},
                  {"hook:claude/s1 claude +2s"}},
        EventCase{"prompt end start",
                  {"hook:claude/s1 claude detected", "hook:claude/s1 claude recentlyFinished"},
                  {"hook:claude/s1 claude +2s"}},
        EventCase{"start end start prompt", {"hook:claude/s1 claude working"}, {}}));

TEST(HookEvents, FinishedRowHasNoDetailAndItsEndTimeAsLastEvent) {
    Story story;
    tell(story, "prompt failed end");
    auto finished = story.session("hook:claude/s1");
    EXPECT_EQ(finished.state, AgentSessionState::recentlyFinished);
    EXPECT_EQ(finished.stateDetail, std::nullopt);
    EXPECT_EQ(finished.lastEventAt, t(3s));
    EXPECT_EQ(story.deadline(), "+33s");
}

TEST(HookEvents, NewGenerationStartsAfresh) {
    Story story;
    tell(story, "prompt end start");
    auto live = story.snapshot().sessions.front();
    EXPECT_EQ(live.state, AgentSessionState::detected);
    EXPECT_EQ(live.startedAt, t(3s));  // without an agent process: the first event of this generation
}

TEST(HookEvents, ConnectionTestChangesNothingAtAll) {
    Story story;
    story.hook(t(5s), AgentKind::claude, EventKind::promptSubmitted, "s1");
    story.hook(t(50'000s), AgentKind::claude, EventKind::connectionTest, "s1");
    EXPECT_EQ(story.reducer.capturedAt(), t(5s));
    EXPECT_EQ(story.rows(), (std::vector<std::string>{"hook:claude/s1 claude working"}));  // not expired either
}

TEST(HookEvents, IgnoredEventStillExpiresAndAdvancesTheCapturedTime) {
    Story story;
    tell(story, "prompt end");
    story.hook(t(40s), AgentKind::claude, EventKind::promptSubmitted, "s1");
    EXPECT_EQ(story.rows(), std::vector<std::string>{});
    EXPECT_EQ(story.reducer.capturedAt(), t(40s));
}

TEST(HookEvents, CapturedTimeNeverMovesBack) {
    Story story;
    story.hook(t(10s), AgentKind::codex, EventKind::promptSubmitted, "a");
    story.hook(t(4s), AgentKind::codex, EventKind::promptSubmitted, "b");
    EXPECT_EQ(story.reducer.capturedAt(), t(10s));
}

TEST(HookEvents, SessionsOfTwoProvidersWithOneIdentifierAreTwoSessions) {
    Story story;
    story.hook(t(1s), AgentKind::claude, EventKind::promptSubmitted, "same");
    story.hook(t(2s), AgentKind::codex, EventKind::turnEnded, "same");
    EXPECT_EQ(story.rows(),
              (std::vector<std::string>{"hook:claude/same claude working", "hook:codex/same codex waiting"}));
}

TEST(HookEvents, ProjectHostAndRuntimeComeFromTheEventsAndStay) {
    Story story;
    HookOrigin origin{std::nullopt, host(HostAppKind::ghostty), ProcessIdentity{77, 5, 0}};
    story.hook(t(1s), AgentKind::claude, EventKind::sessionStart, "s1", origin, "web");
    story.hook(t(2s), AgentKind::claude, EventKind::promptSubmitted, "s1");  // no project, no origin
    auto s = story.session("hook:claude/s1");
    EXPECT_EQ(details(s), fmt::format("host=ghostty project=web location=unknown evidence=hook ports=unavailable:0 "
                                      "started={} last=+2s process=-",
                                      1'700'000'001));
    EXPECT_EQ(s.controlSurface->displayName, "Ghostty");  // the kind's name, not the process's
    EXPECT_EQ(story.reducer.hookRuntimeProbeIdentities(), (std::vector<ProcessIdentity>{{77, 5, 0}}));
}

TEST(HookEvents, TheOriginAgentProcessMapsTheSessionAndHidesItsProcessSession) {
    Story story;
    auto codex = agent(101, AgentKind::codex);
    story.scan(t(0s), {presence(codex, {}, host(HostAppKind::terminal), "api")}, {{codex, {listener(8080, 101)}}});
    EXPECT_EQ(story.rows(), (std::vector<std::string>{"agent:codex/101 codex detected"}));

    story.hook(t(1s), AgentKind::codex, EventKind::promptSubmitted, "s1", {codex, std::nullopt, std::nullopt});
    EXPECT_EQ(story.rows(), (std::vector<std::string>{"hook:codex/s1 codex working"}));
    // The hook session shows the process's host, project and listeners.
    EXPECT_EQ(details(story.session("hook:codex/s1")),
              "host=terminal project=api location=local evidence=hook+process ports=exact:1 started=1101 last=+1s "
              "process=101");
    EXPECT_TRUE(story.reducer.hookRuntimeProbeIdentities().empty());
}

TEST(HookEvents, ListenersBelongToAHookSessionOnlyWhenItIsTheProcessesOnlyOne) {
    Story story;
    auto codex = agent(101);
    story.scan(t(0s), {presence(codex)}, {{codex, {listener(8080, 101), listener(9090, 101)}}});
    story.hook(t(1s), AgentKind::codex, EventKind::promptSubmitted, "s1", {codex, std::nullopt, std::nullopt});
    story.hook(t(2s), AgentKind::codex, EventKind::promptSubmitted, "s2", {codex, std::nullopt, std::nullopt});
    for (auto id : {"hook:codex/s1", "hook:codex/s2"}) {
        auto s = story.session(id);
        EXPECT_EQ(s.portRelationship, PortRelationshipConfidence::unavailable) << id;
        EXPECT_TRUE(s.relatedListenerIDs.empty()) << id;
    }
    auto snapshot = story.snapshot();
    for (const auto& s : snapshot.sessions)
        EXPECT_EQ(snapshot.stopAvailability(s), AgentStopAvailability::sharedProcess);
}

TEST(HookEvents, ATrackerVerdictRefinesOnlyDetectedAndWaitingSessions) {
    struct Case {
        EventKind event;
        bool active;
        AgentSessionState shown;
    };
    for (auto [event, active, shown] : {Case{EventKind::sessionStart, true, AgentSessionState::working},
                                        Case{EventKind::sessionStart, false, AgentSessionState::waiting},
                                        Case{EventKind::turnEnded, true, AgentSessionState::working},
                                        Case{EventKind::turnEnded, false, AgentSessionState::waiting},
                                        Case{EventKind::promptSubmitted, false, AgentSessionState::working},
                                        Case{EventKind::permissionRequested, false, AgentSessionState::needsAttention},
                                        Case{EventKind::permissionRequested, true, AgentSessionState::needsAttention}}) {
        Story story;
        auto claude = agent(7, AgentKind::claude);
        story.hook(t(1s), AgentKind::claude, event, "s1", {claude, std::nullopt, std::nullopt});
        story.track(t(2s), {{claude, AgentKind::claude, active}});
        EXPECT_EQ(story.session("hook:claude/s1").state, shown) << rawValue(event) << " " << active;
    }
}

TEST(HookEvents, TrackedProcessMakesADetectedSessionEligible) {
    Story story;
    auto claude = agent(7, AgentKind::claude);
    story.hook(t(1s), AgentKind::claude, EventKind::sessionStart, "s1", {claude, std::nullopt, std::nullopt});
    story.track(t(2s), {{claude, AgentKind::claude, false}});
    story.hook(t(3s), AgentKind::claude, EventKind::sessionEnded, "s1", {claude, std::nullopt, std::nullopt});
    EXPECT_EQ(story.takeEdges(), (std::vector<std::string>{"hook:claude/s1 claude +3s"}));
}

TEST(HookEvents, EndOfASessionThatNeverWorkedStillSuppressesItsProcess) {
    Story story;
    auto codex = agent(101);
    story.scan(t(0s), {presence(codex)});
    story.hook(t(1s), AgentKind::codex, EventKind::sessionStart, "s1", {codex, std::nullopt, std::nullopt});
    story.hook(t(2s), AgentKind::codex, EventKind::sessionEnded, "s1", {codex, std::nullopt, std::nullopt});
    EXPECT_EQ(story.rows(), std::vector<std::string>{});  // neither the hook session nor the process
    EXPECT_EQ(story.takeEdges(), std::vector<std::string>{});
    // The key is marked: a late event is ignored.
    story.hook(t(3s), AgentKind::codex, EventKind::promptSubmitted, "s1", {codex, std::nullopt, std::nullopt});
    EXPECT_EQ(story.rows(), std::vector<std::string>{});
}

}  // namespace
}  // namespace quaylight::testsupport
