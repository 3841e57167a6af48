#include <gtest/gtest.h>

#include <map>

#include "QuaylightKit/focus/FocusTargetResolver.h"
#include "QuaylightKit/project/ListenerEnrichment.h"
#include "tests/QuaylightKit/Snapshots.h"

namespace quaylight {
namespace {

using testsupport::makeProcess;

struct Tree {
    std::map<std::int32_t, ProcessSnapshot> byPID;
    void add(ProcessSnapshot s) {
        s.sameUser = true;
        byPID[s.identity.pid] = std::move(s);
    }
    SnapshotLookup lookup() const {
        return [this](std::int32_t pid) -> std::optional<ProcessSnapshot> {
            auto it = byPID.find(pid);
            return it == byPID.end() ? std::nullopt : std::optional(it->second);
        };
    }
};

TEST(FocusTargetResolver, NearestHostAppWhileItRuns) {
    Tree tree;
    tree.add(makeProcess(10, "/usr/bin/konsole", 1, 501, 100));
    tree.add(makeProcess(11, "/usr/bin/bash", 10, 501, 110));
    auto owner = makeProcess(12, "/usr/bin/node", 11, 501, 120);
    EXPECT_EQ(FocusTargetResolver::resolveHostTarget(owner, tree.lookup()), (FocusTarget{10, "konsole"}));
    EXPECT_EQ(FocusTargetResolver::resolve(owner, tree.lookup(), [](std::int32_t) { return true; }),
              FocusResolution::available(10, "konsole"));
    EXPECT_EQ(FocusTargetResolver::resolve(owner, tree.lookup(), [](std::int32_t) { return false; }),
              FocusResolution::unavailable("konsole isn\u2019t running."));
    auto daemon = makeProcess(13, "/usr/bin/node", 1, 501, 120);
    EXPECT_EQ(FocusTargetResolver::resolveHostTarget(daemon, tree.lookup()), std::nullopt);
    EXPECT_EQ(FocusTargetResolver::resolve(daemon, tree.lookup(), [](std::int32_t) { return true; }),
              FocusResolution::unavailable("No host app found for this listener."));
    nlohmann::json j = FocusTarget{10, "konsole"};
    EXPECT_EQ(j.dump(), R"({"displayName":"konsole","pid":10})");
}

TEST(ListenerEnrichment, HostFocusProjectAgentAndSubtreeFromOneWalk) {
    Tree tree;
    tree.add(makeProcess(10, "/usr/share/code/code", 1, 501, 100));
    tree.add(makeProcess(11, "/usr/bin/codex", 10, 501, 110));
    tree.add(makeProcess(12, "/usr/bin/bash", 11, 501, 115));
    auto owner = makeProcess(13, "/usr/bin/node", 12, 501, 120);
    owner.sameUser = true;
    auto exists = [](const std::string& p) { return p == "/w/app/package.json"; };
    auto cwd = [](std::int32_t) { return std::optional<std::string>("/w/app/src"); };
    auto result = ListenerEnrichment::enrich(owner, 12, tree.lookup(), exists, cwd, "/home/me");
    EXPECT_EQ(result.agentProcess, (AgentProcessIdentity{{11, 110, 0}, AgentKind::codex}));
    EXPECT_EQ(result.agentOrigin(), AgentKind::codex);
    EXPECT_EQ(result.host, (AgentHost{HostAppKind::vscode}));
    EXPECT_EQ(result.focusTarget, (FocusTarget{10, "code"}));
    EXPECT_EQ(result.project, (ListenerProject{"app", "/w/app"}));
    EXPECT_TRUE(result.isInQuaylightSubtree);

    auto alone = makeProcess(20, "/usr/bin/node", 1);
    auto none = ListenerEnrichment::enrich(alone, 12, tree.lookup(), exists, [](std::int32_t) { return std::nullopt; },
                                           "/home/me");
    EXPECT_EQ(none, ListenerEnrichment::Result{});
}

}  // namespace
}  // namespace quaylight
