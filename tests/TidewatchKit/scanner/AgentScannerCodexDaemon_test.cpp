// The agent scanner and run tracker over a fixture /proc tree of one Codex terminal
// session: the indicator's runs hold one Codex session, never Codex's shared daemon.
#include <gtest/gtest.h>

#include "ProcessCoreKit/reader/ProcessReader.h"
#include "TidewatchKit/scanner/AgentScanner.h"
#include "TidewatchKit/tracker/AgentRunTracker.h"
#include "tests/support/CodexProcTree.h"

namespace quaylight {
namespace {

using Tree = testsupport::CodexProcTree;

AgentScannerDependencies reading(const Libproc& proc) {
    const ProcessReader reader{proc};
    return {
        [&proc] { return proc.allPIDs(); },
        [] { return ProcessReader::currentUID(); },
        [reader](std::int32_t pid, std::uint32_t uid) { return reader.detectionSnapshot(pid, uid); },
        [reader](std::int32_t pid, std::uint32_t uid, bool argv) { return reader.enrichedSnapshot(pid, uid, argv); },
        [reader](const ProcessSnapshot& from, std::uint32_t uid) { return reader.activitySnapshot(from, uid); },
    };
}

TEST(AgentScannerCodexDaemon, OneCodexTerminalSessionIsOneRun) {
    for (std::int32_t daemonParent : {1, static_cast<int>(Tree::native)}) {
        Tree tree(daemonParent);
        Libproc proc(tree.root());
        const AgentScanner scanner{reading(proc)};
        const auto result = scanner.scanLightweight({}, wallNow());
        for (const auto& observation : result.observations) {
            EXPECT_NE(observation.identity.pid, Tree::daemon);
            EXPECT_NE(observation.identity.pid, Tree::pidLoop);
        }
        // The runs the indicator counts, once they work: the session alone.
        AgentRunTracker tracker;
        tracker.observe(result.observations);
        ASSERT_EQ(tracker.runs.size(), 1u) << "daemon under " << daemonParent;
        EXPECT_EQ(tracker.runs.begin()->second.identity.process.pid, Tree::wrapper);
        EXPECT_EQ(tracker.runs.begin()->second.provider, AgentKind::codex);
    }
}

}  // namespace
}  // namespace quaylight
