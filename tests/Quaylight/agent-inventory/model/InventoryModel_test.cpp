#include <unordered_set>

#include <gtest/gtest.h>

#include "Quaylight/agent-inventory/model/PanelMode.h"
#include "tests/Quaylight/agent-inventory/support/InventoryTesting.h"

namespace quaylight::testsupport {
namespace {

AgentSessionSnapshot session(AgentSessionID id, AgentSessionState state,
                             std::optional<AgentProcessIdentity> process = {}) {
    AgentSessionSnapshot s;
    s.id = std::move(id);
    s.state = state;
    s.processIdentity = process;
    s.lastEventAt = t(1s);
    return s;
}

TEST(AgentSessionID, ShortHashIsSixtyFourBitFNV1a) {
    EXPECT_EQ(AgentSessionID::shortHash(""), "cbf29ce484222325");  // the offset basis itself
    EXPECT_EQ(AgentSessionID::shortHash("a"), "af63dc4c8601ec8c");
    EXPECT_EQ(AgentSessionID::shortHash("foobar"), "85944171f73967e8");
    EXPECT_NE(AgentSessionID::shortHash("Session"), AgentSessionID::shortHash("session"));
}

TEST(AgentSessionID, StableIDs) {
    EXPECT_EQ(AgentSessionID::provider(AgentKind::claude, "").stableID(), "hook:claude:cbf29ce484222325");
    EXPECT_EQ(AgentSessionID::provider(AgentKind::codex, "a").stableID(), "hook:codex:af63dc4c8601ec8c");
    AgentProcessIdentity process{{4242, 1700000000, 7}, AgentKind::codex};
    EXPECT_EQ(AgentSessionID::process(process).stableID(), "agent:codex:4242:1700000000.7");
}

TEST(AgentSessionID, Equality) {
    auto a = AgentSessionID::provider(AgentKind::claude, "abc");
    EXPECT_EQ(a, AgentSessionID::provider(AgentKind::claude, "abc"));
    EXPECT_NE(a, AgentSessionID::provider(AgentKind::claude, "ABC"));
    EXPECT_NE(a, AgentSessionID::provider(AgentKind::codex, "abc"));
    // A hook id and a process id never compare equal, even of one provider.
    EXPECT_NE(AgentSessionID::provider(AgentKind::codex, "x"), AgentSessionID::process(agent(1, AgentKind::codex)));
    std::unordered_set<AgentSessionID> ids{a, AgentSessionID::provider(AgentKind::claude, "abc"),
                                           AgentSessionID::process(agent(1))};
    EXPECT_EQ(ids.size(), 2u);
}

TEST(AgentInventorySnapshot, DerivedViews) {
    AgentInventorySnapshot snapshot;
    int pid = 1;
    for (auto state : {AgentSessionState::needsAttention, AgentSessionState::working, AgentSessionState::waiting,
                       AgentSessionState::detected, AgentSessionState::recentlyFinished})
        snapshot.sessions.push_back(session(AgentSessionID::process(agent(pid++)), state));
    EXPECT_EQ(snapshot.currentSessions().size(), 4u);
    EXPECT_EQ(snapshot.ambientSessions().size(), 3u);
    EXPECT_EQ(snapshot.ambientSessions().back().state, AgentSessionState::waiting);
}

TEST(AgentInventorySnapshot, StopAvailability) {
    auto shared = agent(7);
    auto alone = agent(8);
    AgentInventorySnapshot snapshot;
    snapshot.sessions = {
        session(AgentSessionID::provider(AgentKind::codex, "a"), AgentSessionState::working, shared),
        session(AgentSessionID::provider(AgentKind::codex, "b"), AgentSessionState::waiting, shared),
        session(AgentSessionID::provider(AgentKind::codex, "c"), AgentSessionState::working, alone),
        session(AgentSessionID::provider(AgentKind::codex, "d"), AgentSessionState::working),
        session(AgentSessionID::provider(AgentKind::codex, "e"), AgentSessionState::recentlyFinished, alone),
    };
    const auto& s = snapshot.sessions;
    EXPECT_EQ(snapshot.stopAvailability(s[0]), AgentStopAvailability::sharedProcess);
    EXPECT_EQ(snapshot.stopAvailability(s[1]), AgentStopAvailability::sharedProcess);
    EXPECT_EQ(snapshot.stopAvailability(s[2]), AgentStopAvailability::available);  // the finished one does not count
    EXPECT_EQ(snapshot.stopAvailability(s[3]), AgentStopAvailability::noLocalProcess);
    EXPECT_EQ(snapshot.stopAvailability(s[4]), AgentStopAvailability::finished);  // not noLocalProcess
    // A session from elsewhere whose process no current session has.
    EXPECT_EQ(snapshot.stopAvailability(session(AgentSessionID::process(agent(9)), AgentSessionState::working, agent(9))),
              AgentStopAvailability::sharedProcess);

    auto byID = snapshot.stopAvailabilityByID();
    EXPECT_EQ(byID.at(s[2].id.stableID()), AgentStopAvailability::available);
    EXPECT_EQ(byID.at(s[4].id.stableID()), AgentStopAvailability::finished);  // alone under its id
    EXPECT_EQ(byID.at(s[4].rowKey()), AgentStopAvailability::finished);
    EXPECT_TRUE(AgentInventorySnapshot::empty().stopAvailabilityByID().empty());
}

TEST(AgentInventorySnapshot, EmptyIsStaleWithoutASuccessInTheDistantPast) {
    auto empty = AgentInventorySnapshot::empty();
    EXPECT_TRUE(empty.sessions.empty());
    EXPECT_TRUE(empty.providerConnections.empty());
    EXPECT_EQ(empty.capturedAt, distantPast);
    EXPECT_EQ(empty.freshness, InventoryFreshness::stale(std::nullopt));
}

TEST(AgentSessionState, UrgencyOrderAndAmbience) {
    EXPECT_LT(urgencyOrder(AgentSessionState::needsAttention), urgencyOrder(AgentSessionState::working));
    EXPECT_LT(urgencyOrder(AgentSessionState::detected), urgencyOrder(AgentSessionState::recentlyFinished));
    EXPECT_TRUE(isAmbient(AgentSessionState::waiting));
    EXPECT_FALSE(isAmbient(AgentSessionState::detected));
}

TEST(PanelMode, RawValues) {
    EXPECT_EQ(fromRawValue<AgentProviderFilter>("claude"), AgentProviderFilter::claude);
    EXPECT_EQ(fromRawValue<AgentProviderFilter>("Claude"), std::nullopt);
    EXPECT_EQ(rawValue(AgentProviderFilter::all), "all");
    EXPECT_EQ(fromRawValue<PanelMode>("agents"), PanelMode::agents);
    EXPECT_EQ(fromRawValue<PanelMode>("Ports"), std::nullopt);
    EXPECT_EQ(allCases<PanelMode>(), (std::array{PanelMode::ports, PanelMode::agents}));
}

TEST(AgentTrackingUpdateFacts, FromATrackingUpdate) {
    AgentTrackingUpdate update;
    update.countedRuns = {{agent(1), AgentKind::codex, HostAppKind::vscode, AgentRunState::active},
                          {agent(2, AgentKind::claude), AgentKind::codex, std::nullopt, AgentRunState::idle}};
    update.finished = {{agent(3), AgentKind::codex, HostAppKind::terminal, AgentRunState::finished}};
    update.scannedAt = t(9s);
    auto facts = AgentTrackingUpdateFacts::from(update);
    EXPECT_EQ(facts.counted, (std::vector<AgentTrackingUpdateFacts::Counted>{
                                 {agent(1), AgentKind::codex, true}, {agent(2, AgentKind::claude), AgentKind::codex, false}}));
    EXPECT_EQ(facts.finished, (std::vector<AgentTrackingUpdateFacts::Finished>{{agent(3), AgentKind::codex}}));
    EXPECT_EQ(facts.currentHosts, (std::unordered_map<AgentProcessIdentity, HostAppKind>{{agent(1), HostAppKind::vscode}}));
    EXPECT_EQ(facts.observedAt, t(9s));
}

}  // namespace
}  // namespace quaylight::testsupport
