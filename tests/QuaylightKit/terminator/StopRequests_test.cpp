#include "QuaylightKit/terminator/StopRequests.h"

#include <gtest/gtest.h>

#include "tests/QuaylightKit/Listeners.h"

namespace quaylight {
namespace {

using testsupport::makeListener;
using testsupport::makePoolListener;

const ProcessSafetyClassifier::Context kContext{9999, 501};
const ProcessIdentity kSupervisor{77, 500, 3};

TEST(StopRequests, ASingleVisibleProcessGetsKillAndForceKillButNoPoolRequest) {
    auto listener = makeListener(42, 3000);
    auto kill = KillRequest::request(listener, kContext);
    ASSERT_TRUE(kill);
    EXPECT_EQ(*kill, (KillRequest{{listener.id(), "node", 42, 3000, "SIGTERM", listener.process->identity}}));
    auto force = ForceKillRequest::request(listener, kContext);
    ASSERT_TRUE(force);
    EXPECT_EQ(force->signalName, "SIGKILL");
    EXPECT_EQ(force->target, kill->target);
    EXPECT_FALSE(StopPoolRequest::request(listener, kContext));
}

TEST(StopRequests, APoolGetsOnlyAPoolRequest) {
    auto listener = makePoolListener(42, 8000, 4, kSupervisor);
    listener.endpoints = {{"::1", AddressFamily::ipv6, 8000}, {"127.0.0.1", AddressFamily::ipv4, 8000}};
    EXPECT_FALSE(KillRequest::request(listener, kContext));
    EXPECT_FALSE(ForceKillRequest::request(listener, kContext));
    auto pool = StopPoolRequest::request(listener, kContext);
    ASSERT_TRUE(pool);
    EXPECT_EQ(*pool, (StopPoolRequest{listener.id(),
                                      "python3",
                                      42,
                                      8000,
                                      4,
                                      "SIGTERM",
                                      kSupervisor,
                                      {8000,
                                       listener.bindSignature,
                                       "/usr/bin/python3",
                                       kSupervisor,
                                       501,
                                       // sorted: only the same addresses make a worker
                                       {{"127.0.0.1", AddressFamily::ipv4, 8000}, {"::1", AddressFamily::ipv6, 8000}}}}));
}

TEST(StopRequests, NothingIsOfferedForHiddenIncompleteOrProtectedRows) {
    auto hidden = makeListener(42, 3000, "/usr/sbin/cupsd", VisibilityClass::hiddenSystemBackground);
    auto hiddenPool = makePoolListener(42, 8000, 2, kSupervisor);
    hiddenPool.visibility = VisibilityClass::hiddenSystemBackground;
    auto noParent = makePoolListener(42, 8000, 2, kSupervisor);
    noParent.parentIdentity.reset();
    auto noPath = makePoolListener(42, 8000, 2, kSupervisor);
    noPath.process.edit().executablePath.reset();
    auto noUID = makePoolListener(42, 8000, 2, kSupervisor);
    noUID.process.edit().uid.reset();
    auto shell = makeListener(42, 3000, "/bin/zsh");
    auto host = makeListener(42, 3000, "/usr/bin/kitty");
    auto mine = makeListener(42, 3000);
    mine.isInQuaylightSubtree = true;
    auto theirs = makeListener(42, 3000);
    theirs.process.edit().uid = 502;
    // The code-signature test is not run here: a system location alone refuses nothing.
    auto system = makeListener(42, 3000, "/usr/sbin/someserver");

    for (const auto* row : {&hidden, &shell, &host, &mine, &theirs}) {
        EXPECT_FALSE(KillRequest::request(*row, kContext)) << row->process->displayName();
        EXPECT_FALSE(ForceKillRequest::request(*row, kContext));
    }
    for (const auto* row : {&hiddenPool, &noParent, &noPath, &noUID})
        EXPECT_FALSE(StopPoolRequest::request(*row, kContext));
    EXPECT_TRUE(KillRequest::request(system, kContext));
    EXPECT_FALSE(StopVisibleRequest::request({hidden, shell, hiddenPool, noParent}, kContext));
    EXPECT_FALSE(StopVisibleRequest::request({}, kContext));
}

TEST(StopRequests, StopVisibleHasOneTargetPerProcessOrSupervisor) {
    auto a1 = makeListener(42, 3000);
    auto a2 = makeListener(42, 3001);
    auto request = StopVisibleRequest::request({a1, a2}, kContext);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->targetCount(), 1);
    EXPECT_EQ(request->listenerCount, 2);
    EXPECT_EQ(request->id, "process:42:" + a1.id());

    // A pool whose supervisor is also listed as a single process: the first row supplies it.
    auto supervisorRow = makeListener(77, 9000);
    supervisorRow.process.edit().identity = kSupervisor;
    auto poolRow = makePoolListener(43, 8000, 2, kSupervisor);
    auto hidden = makeListener(44, 631, "/usr/sbin/cupsd", VisibilityClass::hiddenSystemBackground);
    request = StopVisibleRequest::request({poolRow, a1, hidden, supervisorRow, a2}, kContext);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->listenerCount, 4);
    ASSERT_EQ(request->targetCount(), 2);
    EXPECT_TRUE(std::holds_alternative<StopPoolRequest>(request->targets[0]));
    EXPECT_EQ(std::get<KillRequest>(request->targets[1]).target, a1.process->identity);
    EXPECT_EQ(request->id, "pool:77:" + poolRow.id() + "|process:42:" + a1.id());
}

TEST(StopRequests, StopAgentChecksTheLiveProcess) {
    auto codex = testsupport::makeProcess(60, "/home/me/.local/bin/codex", 1, 501, 800);
    codex.sameUser = true;
    const AgentProcessIdentity identity{codex.identity, AgentKind::codex};
    auto request = StopAgentRequest::request("hook:abc", AgentKind::claude, identity, codex, false, false, kContext);
    ASSERT_TRUE(request);
    // The provider names the agent for the user; the target keeps the process's own kind.
    EXPECT_EQ(*request, (StopAgentRequest{"hook:abc", "Claude Code", 60, "SIGTERM", identity}));

    auto later = codex;
    later.identity.startTimeMicroseconds = 1;
    auto node = testsupport::makeProcess(60, "/usr/bin/node", 1, 501, 800);
    node.sameUser = true;
    EXPECT_FALSE(StopAgentRequest::request("s", AgentKind::codex, identity, std::nullopt, false, false, kContext));
    EXPECT_FALSE(StopAgentRequest::request("s", AgentKind::codex, identity, later, false, false, kContext));
    EXPECT_FALSE(StopAgentRequest::request("s", AgentKind::codex, identity, codex, true, false, kContext));
    EXPECT_FALSE(StopAgentRequest::request("s", AgentKind::codex, identity, codex, false, true, kContext));
    EXPECT_FALSE(StopAgentRequest::request("s", AgentKind::codex, identity, node, false, false, kContext));
    EXPECT_FALSE(StopAgentRequest::request("s", AgentKind::claude, {codex.identity, AgentKind::claude}, codex, false,
                                           false, kContext));
    // Codex's shared daemon is no agent: stopping it as one is never offered.
    auto daemon = codex;
    daemon.argv = std::vector<std::string>{"/home/me/.local/bin/codex", "app-server", "--managed-daemon"};
    EXPECT_FALSE(StopAgentRequest::request("s", AgentKind::codex, identity, daemon, false, false, kContext));
}

}  // namespace
}  // namespace quaylight
