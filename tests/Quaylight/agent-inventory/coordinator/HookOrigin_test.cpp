#include <csignal>

#include <gtest/gtest.h>

#include "ProcessCoreKit/reader/ProcessReader.h"
#include "Quaylight/agent-inventory/coordinator/AgentInventoryCoordinator.h"
#include "tests/Quaylight/agent-inventory/support/InventoryTesting.h"
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

// Codex's shared daemon, first under the terminal session that started it (40 > 41), later
// left to PID 1, runs the hooks of every Codex session; a second session runs at 60.
struct CodexDaemonCase {
    const char* what;
    std::int32_t daemonParent;
    std::int32_t hookParent;  // the daemon itself, or a shell it started
    std::optional<std::string> project;
    std::vector<CodexDaemonHooks::Session> sessions;
    std::optional<std::int32_t> agent;    // the session the hook lands on
    std::optional<std::int32_t> runtime;  // the process that ran the hook, never the daemon
};

TEST(HookOrigin, AHookCodexsSharedDaemonRanLandsOnTheSessionOfItsProject) {
    using testsupport::withArgv;
    const std::string daemon = "/home/u/.codex/packages/app-server-daemon/releases/0.171.0/bin/codex";
    const CodexDaemonHooks::Session site{{{40, 12, 0}, AgentKind::codex}, "site", std::nullopt};
    const CodexDaemonHooks::Session docs{{{60, 16, 0}, AgentKind::codex}, "docs", std::nullopt};
    const CodexDaemonHooks::Session moreSite{{{70, 17, 0}, AgentKind::codex}, "site", std::nullopt};
    const CodexDaemonCase cases[] = {
        {"the only session", 1, 50, std::nullopt, {site}, 40, std::nullopt},
        {"the only session, another project", 1, 50, "elsewhere", {site}, 40, std::nullopt},
        {"the session of the project", 1, 50, "docs", {site, docs}, 60, std::nullopt},
        {"not the session that started the daemon", 41, 50, "docs", {site, docs}, 60, std::nullopt},
        {"through a shell", 1, 55, "site", {site, docs}, 40, 55},
        {"two sessions of the project", 1, 50, "site", {site, moreSite}, std::nullopt, std::nullopt},
        {"two sessions, no project", 41, 50, std::nullopt, {site, docs}, std::nullopt, std::nullopt},
        {"no session", 1, 50, "site", {}, std::nullopt, std::nullopt},
        {"no session, through a shell", 1, 55, "site", {}, std::nullopt, 55},
    };
    for (const auto& c : cases) {
        ProcessTable table({
            process(55, 50, "/usr/bin/sh", 19),
            withArgv(process(50, c.daemonParent, daemon, 18), {daemon, "app-server", "--listen", "unix://",
                                                               "--managed-daemon"}),
            withArgv(process(41, 40, "/home/u/.npm/codex-linux-x64/bin/codex", 13), {"codex"}),
            withArgv(process(40, 30, "/usr/bin/node", 12), {"node", "/home/u/.npm/bin/codex"}),
            process(30, 1, "/usr/bin/xterm", 11),
        });
        int lookups = 0;
        auto origin = AgentInventoryCoordinator::liveHookOrigin(c.hookParent, table.lookup(), c.project, [&] {
            ++lookups;
            return c.sessions;
        });
        EXPECT_EQ(lookups, 1) << c.what;
        EXPECT_EQ(origin.agentProcess ? std::optional(origin.agentProcess->process.pid) : std::nullopt, c.agent)
            << c.what;
        if (origin.agentProcess) {
            EXPECT_EQ(origin.agentProcess->kind, AgentKind::codex) << c.what;
        }
        EXPECT_EQ(origin.runtime ? std::optional(origin.runtime->pid) : std::nullopt, c.runtime) << c.what;
    }
}

TEST(HookOrigin, HooksOfCodexItselfAndOfOtherAgentsNeverAskForCodexSessions) {
    ProcessTable table({process(500, 400, "/usr/bin/sh", 50), process(400, 1, "/usr/local/bin/codex", 40),
                        process(600, 1, "/usr/bin/sh", 60)});
    auto askNot = [] {
        ADD_FAILURE() << "sessions asked for";
        return std::vector<CodexDaemonHooks::Session>{};
    };
    auto origin = AgentInventoryCoordinator::liveHookOrigin(500, table.lookup(), "site", askNot);
    EXPECT_EQ(origin.agentProcess, (AgentProcessIdentity{{400, 40, 0}, AgentKind::codex}));
    origin = AgentInventoryCoordinator::liveHookOrigin(600, table.lookup(), "site", askNot);
    EXPECT_EQ(origin.agentProcess, std::nullopt);
    EXPECT_EQ(origin.runtime, (ProcessIdentity{600, 60, 0}));
}

// With one Codex terminal session, its hooks run by the daemon keep one row, working.
TEST(HookOrigin, OneCodexTerminalSessionStaysOneRowWhenTheDaemonSendsItsHooks) {
    using namespace testsupport;
    const std::string daemon = "/home/u/.codex/packages/app-server-daemon/releases/0.171.0/bin/codex";
    const auto tui = agent(40);
    ProcessTable table({withArgv(process(50, 1, daemon, 18), {daemon, "app-server", "--managed-daemon"})});
    auto origin = AgentInventoryCoordinator::liveHookOrigin(50, table.lookup(), "site", [&] {
        return std::vector<CodexDaemonHooks::Session>{{tui, "site", std::nullopt}};
    });
    Story story;
    story.scan(t(1s), {presence(tui, AgentKind::codex, std::nullopt, "site")});
    story.hook(t(2s), AgentKind::codex, EventKind::promptSubmitted, "thread-1", origin, "site");
    EXPECT_EQ(story.rows(), std::vector<std::string>{"hook:codex/thread-1 codex working"});
    EXPECT_NE(details(story.session("hook:codex/thread-1")).find("process=40"), std::string::npos);
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
