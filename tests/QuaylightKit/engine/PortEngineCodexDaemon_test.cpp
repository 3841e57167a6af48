// The scan engine over a fixture /proc tree of one Codex terminal session: Codex's shared
// app-server daemon is no agent session, whether it still sits under the terminal session
// that started it or was left to PID 1.
#include <gtest/gtest.h>

#include "QuaylightKit/engine/PortEngine.h"
#include "QuaylightKit/engine/PortEngineDependencies.h"
#include "tests/support/CodexProcTree.h"

namespace quaylight {
namespace {

using Tree = testsupport::CodexProcTree;

TEST(PortEngineCodexDaemon, OneCodexTerminalSessionIsOneAgentPresence) {
    for (std::int32_t daemonParent : {1, static_cast<int>(Tree::native)}) {
        Tree tree(daemonParent);
        Libproc proc(tree.root());
        auto dependencies = PortEngineDependencies::reading(proc);
        dependencies.forEachProcess = nullptr;
        const auto result = PortEngine{dependencies}.scan(true);
        const auto& entries = result.agentPresence.entries;
        ASSERT_EQ(entries.size(), 1u) << "daemon under " << daemonParent;
        EXPECT_EQ(entries[0].identity.process.pid, Tree::wrapper);
        EXPECT_EQ(entries[0].provider, AgentKind::codex);
        EXPECT_EQ(result.agentPresence.codexCount(), 1);
        EXPECT_EQ(result.agentPresence.totalCount(), 1);
    }
}

}  // namespace
}  // namespace quaylight
