#include <csignal>

#include <gtest/gtest.h>

#include "ProcessCoreKit/reader/ProcessReader.h"
#include "Quaylight/agent-inventory/coordinator/AgentInventoryCoordinator.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/Snapshots.h"

namespace quaylight {
namespace {

using HookOrigin = AgentInventoryCoordinator::HookOrigin;
using testsupport::ProcessTable;

// A process of the user's, its parent given before its path.
ProcessSnapshot process(std::int32_t pid, std::int32_t parent, const std::string& path, std::uint64_t started) {
    return testsupport::process(pid, path, parent, started);
}

TEST(HookOrigin, ParentBelowTwoReadsNothing) {
    ProcessTable table({process(1, 0, "/sbin/init", 1)});
    for (std::int32_t pid : {0, 1, -5}) {
        EXPECT_EQ(AgentInventoryCoordinator::liveHookOrigin(pid, table.lookup()), HookOrigin{}) << pid;
    }
    EXPECT_TRUE(table.reads.empty());
}

TEST(HookOrigin, UnreadableParentGivesTheEmptyOrigin) {
    ProcessTable table;
    EXPECT_EQ(AgentInventoryCoordinator::liveHookOrigin(4242, table.lookup()), HookOrigin{});
    EXPECT_EQ(table.reads, std::vector<std::int32_t>{4242});
}

TEST(HookOrigin, WalkStopsAfterEightParents) {
    std::vector<ProcessSnapshot> chain;
    for (std::int32_t pid = 100; pid < 112; ++pid) chain.push_back(process(pid, pid + 1, "/usr/bin/sh", 2000 - pid));
    ProcessTable table(chain);
    auto origin = AgentInventoryCoordinator::liveHookOrigin(100, table.lookup());
    EXPECT_EQ(table.reads, (std::vector<std::int32_t>{100, 101, 102, 103, 104, 105, 106, 107, 108}));
    EXPECT_EQ(origin.runtime, (ProcessIdentity{100, 1900, 0}));
}

TEST(HookOrigin, WalkStopsWhereTheChainLoops) {
    ProcessTable table({process(10, 11, "/usr/bin/sh", 50), process(11, 10, "/usr/bin/sh", 40)});
    AgentInventoryCoordinator::liveHookOrigin(10, table.lookup());
    EXPECT_EQ(table.reads, (std::vector<std::int32_t>{10, 11}));
}

TEST(HookOrigin, WithoutAnAgentTheHostOfTheAncestryCounts) {
    ProcessTable table({process(300, 200, "/usr/bin/bash", 30), process(200, 1, "/usr/libexec/gnome-terminal-server", 20)});
    auto origin = AgentInventoryCoordinator::liveHookOrigin(300, table.lookup());
    EXPECT_EQ(origin.agentProcess, std::nullopt);
    ASSERT_TRUE(origin.host);
    EXPECT_EQ(origin.host->kind, HostAppKind::terminal);
    EXPECT_EQ(origin.host->identity, (ProcessIdentity{200, 20, 0}));
    EXPECT_EQ(origin.runtime, (ProcessIdentity{300, 30, 0}));
}

TEST(HookOrigin, AgentIsTheTopOfItsSessionWithThatProcessesHost) {
    // kitty > zsh > claude > claude (a subagent) > sh (the hook command)
    ProcessTable table({
        process(500, 400, "/usr/bin/sh", 50),
        process(400, 300, "/home/u/.local/bin/claude", 40),
        process(300, 200, "/home/u/.local/bin/claude", 30),
        process(200, 100, "/usr/bin/zsh", 20),
        process(100, 1, "/usr/bin/kitty", 10),
    });
    auto origin = AgentInventoryCoordinator::liveHookOrigin(500, table.lookup());
    EXPECT_EQ(origin.agentProcess, (AgentProcessIdentity{{300, 30, 0}, AgentKind::claude}));
    ASSERT_TRUE(origin.host);
    EXPECT_EQ(origin.host->kind, HostAppKind::terminal);
    EXPECT_EQ(origin.host->identity, (ProcessIdentity{100, 10, 0}));
    EXPECT_EQ(origin.runtime, (ProcessIdentity{500, 50, 0}));
}

TEST(HookOrigin, AgentWithoutAHostInTheChain) {
    ProcessTable table({process(500, 400, "/usr/bin/sh", 50), process(400, 1, "/usr/local/bin/codex", 40)});
    auto origin = AgentInventoryCoordinator::liveHookOrigin(500, table.lookup());
    EXPECT_EQ(origin.agentProcess, (AgentProcessIdentity{{400, 40, 0}, AgentKind::codex}));
    EXPECT_EQ(origin.host, std::nullopt);
}

TEST(HookOrigin, LiveProcessIsItsOwnRuntime) {
    auto child = testsupport::ChildProcess::spawn({testsupport::fixtureProcessPath()});
    auto live = ProcessReader{}.liveResolveSnapshot(child.pid());
    ASSERT_TRUE(live);
    auto origin = AgentInventoryCoordinator::liveHookOrigin(child.pid());
    EXPECT_EQ(origin.runtime, live->identity);
}

TEST(IsProcessCurrent, ComparesTheWholeIdentityOfTheLiveProcess) {
    using Dependencies = AgentInventoryCoordinator::Dependencies;
    auto child = testsupport::ChildProcess::spawn({testsupport::fixtureProcessPath()});
    auto identity = ProcessReader{}.liveResolveSnapshot(child.pid())->identity;
    EXPECT_TRUE(Dependencies::isLiveProcessCurrent(identity));
    auto reused = identity;
    reused.startTimeMicroseconds += 1;
    EXPECT_FALSE(Dependencies::isLiveProcessCurrent(reused));
    child.killAndWait(SIGKILL);
    EXPECT_FALSE(Dependencies::isLiveProcessCurrent(identity));
}

}  // namespace
}  // namespace quaylight
