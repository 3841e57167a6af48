#include <gtest/gtest.h>

#include "Quaylight/agent-inventory/model/AgentInventorySnapshot.h"
#include "Quaylight/notch/model/NotchIslandPresentation.h"
#include "Quaylight/notch/model/TimingCurve.h"

namespace quaylight {
namespace {

struct DescriptionCase {
    int count;
    int finished;
    const char* agent;
    const char* expected;
};

TEST(NotchIslandAgentState, DescribesSessionsAndEndings) {
    const DescriptionCase cases[] = {
        {1, 0, "Codex", "1 Codex session"},
        {2, 0, "Claude Code", "2 Claude Code sessions"},
        {0, 0, "Codex", "0 Codex sessions"},
        {0, 2, "Codex", "2 Codex sessions ended"},
        {1, 1, "Claude Code", "1 Claude Code session ended; 1 session remaining"},
        {2, 1, "Codex", "1 Codex session ended; 2 sessions remaining"},
        {3, 2, "Codex", "2 Codex sessions ended; 3 sessions remaining"},
        {-1, 0, "Codex", "-1 Codex sessions"},
    };
    for (const auto& c : cases) {
        NotchIslandAgentState state{c.count, false, c.finished};
        EXPECT_EQ(state.accessibilityDescription(c.agent), c.expected) << c.count << "/" << c.finished;
    }
}

AgentSessionSnapshot session(const char* id, AgentKind provider, AgentSessionState state) {
    AgentSessionSnapshot s;
    s.id = AgentSessionID::provider(provider, id);
    s.provider = provider;
    s.state = state;
    return s;
}

TEST(IslandPresentation, CountsAmbientSessionsPerProviderWithPendingCompletions) {
    AgentInventorySnapshot snapshot;
    snapshot.sessions = {
        session("a", AgentKind::codex, AgentSessionState::waiting),
        session("b", AgentKind::codex, AgentSessionState::needsAttention),
        session("c", AgentKind::codex, AgentSessionState::detected),
        session("d", AgentKind::claude, AgentSessionState::waiting),
        session("e", AgentKind::claude, AgentSessionState::recentlyFinished),
    };
    const auto p = islandPresentation(snapshot, {{AgentKind::claude, 2}, {AgentKind::codex, -4}});
    EXPECT_EQ(p.codex, (NotchIslandAgentState{2, true, 0}));
    EXPECT_EQ(p.claude, (NotchIslandAgentState{1, false, 2}));
    EXPECT_EQ(p.withoutCompletions().claude, (NotchIslandAgentState{1, false, 0}));

    const auto empty = islandPresentation(AgentInventorySnapshot::empty(), {});
    EXPECT_EQ(empty, NotchIslandPresentation::empty());
    EXPECT_FALSE(empty.hasContent());
}

TEST(IslandPresentation, StoredPresentationIsWorkingOnlyWithALiveSession) {
    NotchIslandPresentation p{{0, true, 3}, {-2, true, 0}};
    EXPECT_EQ(p.withoutCompletions(), NotchIslandPresentation::empty());
}

TEST(TimingCurve, EndsFixedAndFastOutLeadsTheLine) {
    for (auto curve : {TimingCurve::fastOut(), TimingCurve::strongEaseInOut(), TimingCurve::easeInOut()}) {
        EXPECT_DOUBLE_EQ(curve.valueAt(0), 0);
        EXPECT_DOUBLE_EQ(curve.valueAt(1), 1);
    }
    EXPECT_GT(TimingCurve::fastOut().valueAt(0.2), 0.6);
    EXPECT_LT(TimingCurve::strongEaseInOut().valueAt(0.2), 0.1);
    EXPECT_NEAR(TimingCurve::easeInOut().valueAt(0.5), 0.5, 1e-6);
    EXPECT_NEAR(TimingCurve::linear().valueAt(0.3), 0.3, 1e-6);
}

}  // namespace
}  // namespace quaylight
