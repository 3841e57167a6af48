#include "QuaylightKit/session/AgentProviderPresentationFold.h"

#include <gtest/gtest.h>

#include "tests/QuaylightKit/Listeners.h"

namespace quaylight {
namespace {

using testsupport::makeListener;
using testsupport::resultOf;

AgentProcessIdentity agent(std::int32_t pid, AgentKind kind) { return {{pid, 500, 0}, kind}; }

AgentProcessPresence presence(AgentProcessIdentity identity, std::optional<HostAppKind> host = std::nullopt,
                              std::optional<AgentKind> provider = std::nullopt) {
    std::optional<ProcessAncestryFacts::HostAppOccurrence> occurrence;
    if (host) occurrence = ProcessAncestryFacts::HostAppOccurrence{*host, {7, 1, 0}, "Host"};
    return {identity, provider, occurrence, "proj", wallTimeFromMicroseconds(5)};
}

PortListener startedBy(std::int32_t pid, AgentProcessIdentity agentProcess, AgentKind origin) {
    auto l = makeListener(pid, 3000 + pid);
    l.agentProcess = agentProcess;
    l.agentOrigin = origin;
    return l;
}

ScanResult scan(std::vector<AgentProcessPresence> entries, std::vector<PortListener> listeners = {}) {
    auto r = resultOf(std::move(listeners));
    r.agentPresence.entries = std::move(entries);
    return r;
}

std::vector<AgentKind> providers(const ScanResult& r) {
    std::vector<AgentKind> out;
    for (const auto& e : r.agentPresence.entries) out.push_back(e.provider);
    return out;
}

TEST(AgentProviderPresentationFold, EvidenceWinsForTheEntryAndEveryListenerOfTheProcess) {
    AgentProviderPresentationFold fold;
    const auto codex = agent(10, AgentKind::codex);
    auto out = fold.reconcile(scan({presence(codex, HostAppKind::chatgpt)},
                                   {startedBy(1, codex, AgentKind::codex), startedBy(2, codex, AgentKind::codex)}),
                              {{codex, AgentKind::claude}});
    EXPECT_EQ(providers(out), (std::vector{AgentKind::claude}));
    EXPECT_EQ(out.listeners[0].agentOrigin, AgentKind::claude);
    EXPECT_EQ(out.listeners[1].agentOrigin, AgentKind::claude);
    EXPECT_EQ(out.agentPresence.entries[0].host->kind, HostAppKind::chatgpt);  // the rest stays
    EXPECT_EQ(out.agentPresence.entries[0].projectName, "proj");
}

TEST(AgentProviderPresentationFold, HostRuleAppliesWithoutEvidence) {
    AgentProviderPresentationFold fold;
    const auto claude = agent(10, AgentKind::claude);
    const auto codex = agent(11, AgentKind::codex);
    auto out = fold.reconcile(scan({presence(claude, HostAppKind::chatgpt), presence(codex, HostAppKind::vscode)},
                                   {startedBy(1, claude, AgentKind::claude)}),
                              {});
    // chatgpt presents codex; a terminal or editor leaves the detected kind.
    EXPECT_EQ(providers(out), (std::vector{AgentKind::codex, AgentKind::codex}));
    EXPECT_EQ(out.listeners[0].agentOrigin, AgentKind::codex);  // the listener follows in the same frame
}

TEST(AgentProviderPresentationFold, EarlierChoiceIsKeptWhileTheProcessLivesThenForgotten) {
    AgentProviderPresentationFold fold;
    const auto codex = agent(10, AgentKind::codex);
    fold.reconcile(scan({presence(codex, HostAppKind::claudeDesktop)}), {});  // presented as claude
    EXPECT_EQ(providers(fold.reconcile(scan({presence(codex)}), {})), (std::vector{AgentKind::claude}));
    // A listener's origin changes it when the remembered choice is the process's own kind...
    fold.reconcile(scan({}), {});  // ...but first the process vanishes and is forgotten
    EXPECT_EQ(providers(fold.reconcile(scan({presence(codex)}), {})), (std::vector{AgentKind::codex}));
    auto out = fold.reconcile(scan({presence(codex)}, {startedBy(1, codex, AgentKind::claude)}), {});
    EXPECT_EQ(providers(out), (std::vector{AgentKind::claude}));
}

TEST(AgentProviderPresentationFold, AListenerOriginDoesNotOverrideAChoiceThatDiffersFromTheOwnKind) {
    AgentProviderPresentationFold fold;
    const auto codex = agent(10, AgentKind::codex);
    fold.reconcile(scan({}, {startedBy(1, codex, AgentKind::claude)}), {});  // remembered: claude
    auto out = fold.reconcile(scan({}, {startedBy(1, codex, AgentKind::codex)}), {});
    EXPECT_EQ(out.listeners[0].agentOrigin, AgentKind::claude);
}

TEST(AgentProviderPresentationFold, EntriesComeOutCodexFirstThenByPID) {
    AgentProviderPresentationFold fold;
    auto out = fold.reconcile(scan({presence(agent(30, AgentKind::claude)), presence(agent(20, AgentKind::codex)),
                                    presence(agent(5, AgentKind::claude)), presence(agent(25, AgentKind::codex))}),
                              {});
    std::vector<std::int32_t> pids;
    for (const auto& e : out.agentPresence.entries) pids.push_back(e.identity.process.pid);
    EXPECT_EQ(pids, (std::vector<std::int32_t>{20, 25, 5, 30}));
    EXPECT_EQ(out.scannedAt, scan({}).scannedAt);
}

}  // namespace
}  // namespace quaylight
