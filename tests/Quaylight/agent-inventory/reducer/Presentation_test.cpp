// The provider each agent process is presented as, shared by its process session and the
// hook sessions mapped to it; and the order and keys of the published rows.
#include <gtest/gtest.h>

#include "tests/Quaylight/agent-inventory/support/InventoryTesting.h"

namespace quaylight::testsupport {
namespace {

using Rows = std::vector<std::string>;

HookOrigin from(const AgentProcessIdentity& process, std::optional<HostAppOccurrence> hostApp = {}) {
    return {process, std::move(hostApp), std::nullopt};
}

TEST(Presentation, DesktopAppHostAcceptsAnotherKindsProcessForItsProvider) {
    Story story;
    auto claudeProcess = agent(202, AgentKind::claude);
    story.hook(t(1s), AgentKind::codex, EventKind::promptSubmitted, "s1", from(claudeProcess, host(HostAppKind::chatgpt)));
    auto s = story.session("hook:codex/s1");
    EXPECT_EQ(s.processIdentity, claudeProcess);  // accepted: ChatGPT runs Codex
    EXPECT_EQ(s.provider, AgentKind::codex);
    EXPECT_EQ(s.controlSurface->kind, HostAppKind::chatgpt);
    EXPECT_EQ(story.reducer.presentedProviderEvidence(),
              (AgentInventoryReducer::PresentedProviders{{claudeProcess, AgentKind::codex}}));
    // The evidence is authoritative: a scan without a host keeps the provider.
    story.scan(t(2s), {presence(claudeProcess)});
    EXPECT_EQ(story.reducer.presentedProviderEvidence().at(claudeProcess), AgentKind::codex);
}

TEST(Presentation, ProcessOfAnotherKindIsDroppedFromTheEvent) {
    Story story;
    auto codexProcess = agent(101, AgentKind::codex);
    story.hook(t(1s), AgentKind::claude, EventKind::promptSubmitted, "s1",
               from(codexProcess, host(HostAppKind::terminal)));
    auto s = story.session("hook:claude/s1");
    EXPECT_EQ(s.processIdentity, std::nullopt);
    EXPECT_EQ(s.executionLocation, AgentExecutionLocation::unknown());
    EXPECT_EQ(s.evidence, AgentEvidence::providerHook);
    EXPECT_EQ(s.controlSurface->kind, HostAppKind::terminal);  // the host still counts
    EXPECT_EQ(s.provider, AgentKind::claude);
}

TEST(Presentation, ProcessKnownAsTheEventsProviderIsAccepted) {
    Story story;
    auto codexProcess = agent(101, AgentKind::codex);
    story.scan(t(0s), {presence(codexProcess, AgentKind::claude)});  // the scan resolved it as Claude
    story.hook(t(1s), AgentKind::claude, EventKind::promptSubmitted, "s1", from(codexProcess));
    auto s = story.session("hook:claude/s1");
    EXPECT_EQ(s.processIdentity, codexProcess);
    EXPECT_EQ(s.provider, AgentKind::claude);
}

TEST(Presentation, HostWithoutAnAgentProcessDecidesTheShownProvider) {
    struct Case {
        std::optional<HostAppKind> host;
        AgentKind shown;
    };
    for (auto [hostKind, shown] : {Case{HostAppKind::claudeDesktop, AgentKind::claude},
                                   Case{HostAppKind::chatgpt, AgentKind::codex},
                                   Case{HostAppKind::vscode, AgentKind::codex}, Case{std::nullopt, AgentKind::codex}}) {
        Story story;
        HookOrigin origin;
        if (hostKind) origin.host = host(*hostKind);
        story.hook(t(1s), AgentKind::codex, EventKind::promptSubmitted, "s1", origin);
        EXPECT_EQ(story.session("hook:codex/s1").provider, shown);
    }
    // Without a host, a later event keeps what was shown.
    Story story;
    story.hook(t(1s), AgentKind::codex, EventKind::promptSubmitted, "s1", {std::nullopt, host(HostAppKind::claudeDesktop), {}});
    story.hook(t(2s), AgentKind::codex, EventKind::turnEnded, "s1");
    EXPECT_EQ(story.session("hook:codex/s1").provider, AgentKind::claude);
}

TEST(Presentation, ProcessSessionAndHookSessionsShareTheProcessesProvider) {
    Story story;
    auto claudeProcess = agent(202, AgentKind::claude);
    story.scan(t(0s), {presence(claudeProcess, {}, host(HostAppKind::claudeDesktop))}, {{claudeProcess, {listener(5173, 300)}}});
    story.hook(t(1s), AgentKind::claude, EventKind::promptSubmitted, "s1", from(claudeProcess));
    story.scan(t(2s), {presence(claudeProcess, {}, host(HostAppKind::chatgpt))}, {{claudeProcess, {listener(5173, 300)}}});
    // The newer host moved the process to Codex, and the mapped hook session with it.
    auto s = story.session("hook:claude/s1");
    EXPECT_EQ(s.provider, AgentKind::codex);
    EXPECT_EQ(s.controlSurface->kind, HostAppKind::chatgpt);
    EXPECT_EQ(s.portRelationship, PortRelationshipConfidence::exact);
}

TEST(Presentation, EvidenceMapCoversEveryKnownProcess) {
    Story story;
    auto a = agent(101);
    auto b = agent(202, AgentKind::claude);
    story.scan(t(0s), {presence(a)});
    story.hook(t(1s), AgentKind::claude, EventKind::promptSubmitted, "s1", from(b));
    EXPECT_EQ(story.reducer.presentedProviderEvidence(),
              (AgentInventoryReducer::PresentedProviders{{a, AgentKind::codex}, {b, AgentKind::claude}}));
}

TEST(SessionOrder, ProcessRowsComeBeforeHookRowsAndClaudeBeforeCodex) {
    Story story;
    story.hook(t(1s), AgentKind::codex, EventKind::promptSubmitted, "x");
    story.hook(t(2s), AgentKind::claude, EventKind::promptSubmitted, "y");
    story.scan(t(3s), {presence(agent(9)), presence(agent(5, AgentKind::claude))});
    EXPECT_EQ(story.rows(), (Rows{"agent:claude/5 claude detected", "agent:codex/9 codex detected",
                                  "hook:claude/y claude working", "hook:codex/x codex working"}));
}

// A session that ends and starts again within the finished window is listed twice under
// one id: the live row first.
TEST(SessionOrder, RestartedSessionIsListedLiveThenFinishedWithTheirOwnRowKeys) {
    Story story;
    auto claudeProcess = agent(202, AgentKind::claude);
    story.hook(t(1s), AgentKind::claude, EventKind::promptSubmitted, "s1", from(claudeProcess));
    story.hook(t(2s), AgentKind::claude, EventKind::sessionEnded, "s1", from(claudeProcess));
    story.hook(t(3s), AgentKind::claude, EventKind::sessionStart, "s1", from(claudeProcess));
    story.hook(t(4s), AgentKind::claude, EventKind::promptSubmitted, "s1", from(claudeProcess));
    auto snapshot = story.snapshot();
    EXPECT_EQ(rows(snapshot), (Rows{"hook:claude/s1 claude working", "hook:claude/s1 claude recentlyFinished"}));

    const auto& live = snapshot.sessions[0];
    const auto& finished = snapshot.sessions[1];
    EXPECT_EQ(live.id, finished.id);
    auto id = live.id.stableID();
    EXPECT_EQ(live.rowKey(), id);
    EXPECT_EQ(finished.rowKey(), fmt::format("{}:finished:{}", id, t(2s).time_since_epoch().count()));

    // The finished copy never takes the live session's stop availability.
    auto byID = snapshot.stopAvailabilityByID();
    EXPECT_EQ(byID.at(id), AgentStopAvailability::available);
    EXPECT_EQ(byID.at(finished.rowKey()), AgentStopAvailability::finished);
    EXPECT_EQ(byID.size(), 2u);
}

}  // namespace
}  // namespace quaylight::testsupport
