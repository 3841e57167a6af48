#include <gtest/gtest.h>

#include "ProcessCoreKit/agents/AgentProcessGraph.h"
#include "tests/support/Snapshots.h"

namespace quaylight {
namespace {

using testsupport::process;

// A chain of processes, each the parent of the next, starting at PID 100.
std::vector<ProcessSnapshot> chain(const std::vector<std::string>& paths) {
    std::vector<ProcessSnapshot> result;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        auto pid = static_cast<std::int32_t>(100 + i);
        result.push_back(process(pid, paths[i], i == 0 ? 1 : pid - 1));
    }
    return result;
}

TEST(AgentProcessGraph, ParentStepRefusesInitAmbiguousAndYoungerParents) {
    auto child = process(200, "/bin/x", 150, 1000);
    AgentProcessGraph plain({process(150, "/bin/p", 1, 999), child});
    EXPECT_EQ(plain.parentIdentity(child), (ProcessIdentity{150, 999, 0}));

    EXPECT_FALSE(AgentProcessGraph({process(1, "/sbin/init", 0), process(5, "/bin/x", 1)})
                     .parentIdentity(process(5, "/bin/x", 1)));
    EXPECT_FALSE(AgentProcessGraph({process(150, "/bin/p", 1, 900), process(150, "/bin/p", 1, 901), child})
                     .parentIdentity(child));
    auto younger = process(150, "/bin/p", 1, 1000);
    younger.identity.startTimeMicroseconds = 1;
    EXPECT_FALSE(AgentProcessGraph({younger, child}).parentIdentity(child));
    auto same = process(150, "/bin/p", 1, 1000);
    EXPECT_TRUE(AgentProcessGraph({same, child}).parentIdentity(child));  // equal start accepted
}

TEST(AgentProcessGraph, OwningAgentIsFoundUpToEightLevelsAbove) {
    std::vector<std::string> paths{"/usr/bin/codex"};
    for (int i = 0; i < 8; ++i) paths.push_back("/bin/step");
    auto eight = chain(paths);
    AgentProcessGraph graph(eight);
    auto owner = graph.owningAgentIdentity(eight.back());
    ASSERT_TRUE(owner);
    EXPECT_EQ(owner->process.pid, 100);

    paths.push_back("/bin/step");
    auto nine = chain(paths);
    EXPECT_FALSE(AgentProcessGraph(nine).owningAgentIdentity(nine.back()));
}

TEST(AgentProcessGraph, NestedAgentsOfOneKindAreOneSession) {
    auto processes = chain({"/usr/bin/claude", "/usr/bin/claude", "/usr/bin/codex", "/bin/zsh"});
    AgentProcessGraph graph(processes);
    auto sessions = graph.topLevelAgentSessions();
    ASSERT_EQ(sessions.size(), 2u);
    EXPECT_EQ(sessions[0], (AgentProcessIdentity{processes[2].identity, AgentKind::codex}));
    EXPECT_EQ(sessions[1], (AgentProcessIdentity{processes[0].identity, AgentKind::claude}));
    EXPECT_EQ(graph.detectedAgents().size(), 3u);
    EXPECT_EQ(graph.agentSubtreePIDs(), (std::unordered_set<std::int32_t>{100, 101, 102, 103}));
}

TEST(AgentProcessGraph, NearestHostAppAndCycles) {
    auto processes = chain({"/usr/libexec/gnome-terminal-server", "/usr/bin/bash", "/usr/bin/node"});
    AgentProcessGraph graph(processes);
    auto host = graph.nearestHostApp(processes.back());
    ASSERT_TRUE(host);
    EXPECT_EQ(host->kind, HostAppKind::terminal);
    EXPECT_EQ(host->displayName, "gnome-terminal-server");

    // Two processes naming each other as parent: the walks end instead of looping.
    auto a = process(300, "/usr/bin/claude", 301);
    auto b = process(301, "/usr/bin/claude", 300);
    AgentProcessGraph loop({a, b});
    EXPECT_EQ(loop.topLevelSessionIdentity({a.identity, AgentKind::claude}).process, a.identity);
    EXPECT_FALSE(loop.nearestHostApp(a));
}

}  // namespace
}  // namespace quaylight
