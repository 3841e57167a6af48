#include <gtest/gtest.h>

#include "ProcessCoreKit/recognition/HostAppRecognition.h"
#include "ProcessCoreKit/ancestry/ProcessAncestry.h"
#include "tests/support/Snapshots.h"

namespace quaylight {
namespace {

using testsupport::process;
using testsupport::ProcessTable;

TEST(HostAppRecognition, RecognisesByBundleThenBasename) {
    struct Case {
        std::optional<std::string> path, bundle;
        std::optional<HostAppKind> expected;
    };
    const Case cases[] = {
        {"/Applications/iTerm.app/Contents/MacOS/iTerm2", std::nullopt, HostAppKind::iterm2},
        {"/opt/whatever", "com.microsoft.VSCode", HostAppKind::vscode},
        {"/x/Terminal", "com.google.Chrome", HostAppKind::terminal},
        {"/usr/libexec/gnome-terminal-server", std::nullopt, HostAppKind::terminal},
        {"/usr/share/code/code", std::nullopt, HostAppKind::vscode},
        {"/usr/bin/kitty", std::nullopt, HostAppKind::terminal},
        {"/usr/bin/wezterm-gui", std::nullopt, HostAppKind::wezterm},
        {"/usr/bin/ptyxis", std::nullopt, HostAppKind::terminal},
        {"/opt/cursor/cursor", std::nullopt, HostAppKind::cursor},
        {"/usr/bin/Code", std::nullopt, std::nullopt},
        {"/usr/bin/bash", std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        auto s = process(1, c.path);
        s.bundleIdentifier = c.bundle;
        EXPECT_EQ(HostAppRecognition::recognize(s), c.expected) << c.path.value_or("");
    }
}

TEST(ProcessAncestry, FindsAgentAndHostAndStopsWhenSatisfied) {
    ProcessTable table;
    table.add(process(10, "/usr/bin/kitty", 1));
    table.add(process(20, "/usr/bin/claude", 10));
    table.add(process(30, "/usr/bin/zsh", 20));
    auto server = process(40, "/usr/bin/python3", 30);
    auto facts = ProcessAncestry::resolve(server, std::nullopt, table.lookup());
    ASSERT_TRUE(facts.attributingAgentProcess);
    EXPECT_EQ(facts.attributingAgentProcess->process.pid, 20);
    EXPECT_EQ(facts.attributingAgent(), AgentKind::claude);
    ASSERT_TRUE(facts.hostApp);
    EXPECT_EQ(facts.hostApp->kind, HostAppKind::terminal);
    EXPECT_EQ(facts.hostApp->identity.pid, 10);
    EXPECT_EQ(facts.hostApp->displayName, "kitty");
    EXPECT_EQ(table.reads.size(), 3u);
    EXPECT_FALSE(facts.isInProtectedSubtree);
}

TEST(ProcessAncestry, ExaminesTheOwnerAndAtMostEightAncestors) {
    for (int levels : {8, 9}) {
        ProcessTable table;
        table.add(process(100, "/usr/bin/xterm", 1));
        for (int i = 1; i < levels; ++i) table.add(process(100 + i, "/bin/step", 100 + i - 1));
        auto owner = process(100 + levels, "/bin/owner", 100 + levels - 1);
        auto host = ProcessAncestry::nearestHostApp(owner, table.lookup());
        EXPECT_EQ(host.has_value(), levels == 8) << levels;
        EXPECT_LE(table.reads.size(), 8u);
    }
}

TEST(ProcessAncestry, WalkEndsAtInitAReusedPidOrACycle) {
    ProcessTable table;
    table.add(process(1, "/sbin/init", 0));
    EXPECT_FALSE(ProcessAncestry::nearestHostApp(process(5, "/bin/x", 1), table.lookup()));
    EXPECT_TRUE(table.reads.empty());  // PID 1 is never looked up

    ProcessTable reused;
    reused.add(process(7, "/usr/bin/xterm", 1, 2000));  // started after its "child"
    EXPECT_FALSE(ProcessAncestry::nearestHostApp(process(8, "/bin/x", 7, 1500), reused.lookup()));

    ProcessTable cycle;
    cycle.add(process(11, "/bin/a", 12));
    cycle.add(process(12, "/bin/b", 11));
    EXPECT_FALSE(ProcessAncestry::nearestHostApp(process(11, "/bin/a", 12), cycle.lookup()));
    EXPECT_LE(cycle.reads.size(), 3u);
}

TEST(ProcessAncestry, SubtreeWalkClimbsUntilTheRoot) {
    ProcessTable table;
    table.add(process(50, "/usr/local/bin/quaylight", 1));
    table.add(process(60, "/usr/bin/claude", 50));
    auto child = process(70, "/bin/sh", 60);
    EXPECT_TRUE(ProcessAncestry::isInSubtree(child, 50, table.lookup()));
    EXPECT_FALSE(ProcessAncestry::isInSubtree(child, 51, table.lookup()));
    ProcessTable none;
    EXPECT_TRUE(ProcessAncestry::isInSubtree(process(50, "/x", 1), 50, none.lookup()));
    EXPECT_TRUE(none.reads.empty());
    // With a root, finding the agent is not enough: the walk goes on to settle the root.
    auto facts = ProcessAncestry::resolve(child, 50, table.lookup());
    EXPECT_TRUE(facts.isInProtectedSubtree);
    EXPECT_EQ(facts.attributingAgent(), AgentKind::claude);
    EXPECT_EQ(AgentAttributor::attribute(child, table.lookup()), AgentKind::claude);
}

}  // namespace
}  // namespace quaylight
