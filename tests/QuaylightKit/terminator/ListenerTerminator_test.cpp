// The terminator's decisions on a machine of fixed processes, with a signaller that only
// records what it was asked: the outcomes of refusals and failures no real process gives.

#include "QuaylightKit/terminator/ListenerTerminator.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <cerrno>
#include <map>

#include "tests/QuaylightKit/engine/FakeMachine.h"

namespace quaylight {
namespace {

using testsupport::FakeMachine;
using testsupport::makeProcess;
using testsupport::socketOn;

// Answers each open and send from its tables (default: success) and records them.
struct FakeSignaller final : ProcessSignaller {
    std::map<std::int32_t, int> openErrors;
    std::map<std::int32_t, int> sendErrors;
    std::vector<std::int32_t> opened;
    std::vector<std::pair<std::int32_t, int>> sent;

    struct Handle final : ProcessSignaller::Handle {
        FakeSignaller* owner;
        std::int32_t pid;
        Handle(FakeSignaller* o, std::int32_t p) : owner(o), pid(p) {}
        int send(int signal) override {
            auto it = owner->sendErrors.find(pid);
            if (it != owner->sendErrors.end()) return it->second;
            owner->sent.emplace_back(pid, signal);
            return 0;
        }
    };

    Opened open(std::int32_t pid) override {
        opened.push_back(pid);
        if (auto it = openErrors.find(pid); it != openErrors.end()) return {nullptr, it->second};
        return {std::make_unique<Handle>(this, pid), 0};
    }
};

constexpr std::uint32_t kUID = 501;
const ProcessSafetyClassifier::Context kContext{9999, kUID};

struct TerminatorFixture : ::testing::Test {
    FakeMachine machine;
    std::shared_ptr<FakeSignaller> signaller = std::make_shared<FakeSignaller>();

    TerminatorFixture() {
        machine.uid = kUID;
        machine.add(makeProcess(40, "/usr/bin/node", 1, kUID, 700), {socketOn("127.0.0.1", 3000)});
        // A pool of python workers under a login shell.
        machine.add(makeProcess(50, "/usr/bin/bash", 1, kUID, 900));
        for (std::int32_t worker : {51, 52, 53})
            machine.add(makeProcess(worker, "/usr/bin/python3", 50, kUID), {socketOn("0.0.0.0", 8000)});
        machine.add(makeProcess(60, "/usr/bin/codex", 1, kUID, 800));
    }

    ListenerTerminator terminator() {
        return ListenerTerminator(PortEngine(machine.dependencies()), kContext, signaller);
    }
    KillRequest kill(std::int32_t pid, std::uint64_t start) {
        return KillRequest{{"id", "node", pid, 3000, "SIGTERM", {pid, start, 0}}};
    }
    StopPoolRequest pool(std::int32_t supervisor = 50, std::uint64_t start = 900) {
        const ProcessIdentity parent{supervisor, start, 0};
        return {
            "pool",
            "python3",
            51,
            8000,
            3,
            "SIGTERM",
            parent,
            {8000, BindSignature::make({{"0.0.0.0", AddressFamily::ipv4, 8000}}), "/usr/bin/python3", parent, kUID}};
    }
    StopAgentRequest agent(std::int32_t pid, std::uint64_t start, AgentKind kind = AgentKind::codex) {
        return {"session", std::string(displayName(kind)), pid, "SIGTERM", {{pid, start, 0}, kind}};
    }
};

TEST_F(TerminatorFixture, SignalsGoThroughAHandleOpenedBeforeTheCheck) {
    EXPECT_EQ(terminator().kill(kill(40, 700)), KillOutcome::signaled());
    EXPECT_EQ(terminator().forceKill(ForceKillRequest{kill(40, 700)}), KillOutcome::signaledForce());
    EXPECT_EQ(signaller->opened, (std::vector<std::int32_t>{40, 40}));
    EXPECT_EQ(signaller->sent, (std::vector<std::pair<std::int32_t, int>>{{40, SIGTERM}, {40, SIGKILL}}));
}

TEST_F(TerminatorFixture, SendErrorsBecomeOutcomes) {
    struct Case {
        int error;
        KillOutcome kill;
        StopPoolOutcome pool;
        StopAgentOutcome agent;
        StopVisibleOutcome visible;
    };
    const std::vector<Case> cases{
        {EPERM,
         KillOutcome::blocked(ProtectionReason::unconfirmedOwner),
         StopPoolOutcome::blocked(ProtectionReason::unconfirmedOwner),
         StopAgentOutcome::blocked(ProtectionReason::unconfirmedOwner),
         {0, 0, 1, 0}},
        {ESRCH,
         KillOutcome::alreadyExited(),
         StopPoolOutcome::alreadyExited(),
         StopAgentOutcome::alreadyExited(),
         {0, 1, 0, 0}},
        {EIO,
         KillOutcome::signalFailed("SIGTERM", "Input/output error"),
         StopPoolOutcome::signalFailed("Input/output error"),
         StopAgentOutcome::signalFailed("Input/output error"),
         {0, 0, 0, 1}},
    };
    machine.processes[50].executablePath = "/usr/bin/python3";  // an actionable supervisor
    for (const auto& c : cases) {
        signaller->sendErrors = {{40, c.error}, {50, c.error}, {60, c.error}};
        EXPECT_EQ(terminator().kill(kill(40, 700)), c.kill) << c.error;
        EXPECT_EQ(terminator().stopPool(pool()), c.pool) << c.error;
        EXPECT_EQ(terminator().stopAgent(agent(60, 800)), c.agent) << c.error;
        EXPECT_EQ(terminator().stopVisible({"v", 1, {kill(40, 700)}}), c.visible) << c.error;
    }
    EXPECT_EQ(terminator().kill(kill(40, 700)).message(), "Couldn\u2019t send SIGTERM: Input/output error.");
    EXPECT_EQ(terminator().stopPool(pool()).message(), "Couldn\u2019t stop the pool: Input/output error.");
    EXPECT_EQ(terminator().stopAgent(agent(60, 800)).message(), "Couldn\u2019t stop the agent: Input/output error.");
    EXPECT_TRUE(signaller->sent.empty());
}

TEST_F(TerminatorFixture, AHandleThatCannotBeOpenedSendsNothing) {
    signaller->openErrors = {{40, EMFILE}, {60, ESRCH}};
    EXPECT_EQ(terminator().kill(kill(40, 700)).message(), "Couldn\u2019t send SIGTERM: Too many open files.");
    EXPECT_EQ(terminator().stopAgent(agent(60, 800)), StopAgentOutcome::alreadyExited());
    EXPECT_EQ(terminator().stopVisible({"v", 2, {kill(40, 700), kill(60, 800)}}), (StopVisibleOutcome{0, 1, 0, 1}));
    EXPECT_TRUE(signaller->sent.empty());
}

TEST_F(TerminatorFixture, ANonPositivePIDNeverReachesTheSystem) {
    for (std::int32_t pid : {0, -1, -40}) {
        auto outcome = terminator().kill(kill(pid, 700));
        EXPECT_EQ(outcome, KillOutcome::signalFailed("SIGTERM", "refused to signal a non-positive PID"));
        EXPECT_EQ(outcome.message(), "Couldn\u2019t send SIGTERM: refused to signal a non-positive PID.");
        EXPECT_EQ(terminator().forceKill(ForceKillRequest{kill(pid, 700)}).message(),
                  "Couldn\u2019t send SIGKILL: refused to signal a non-positive PID.");
        EXPECT_EQ(terminator().stopPool(pool(pid)).kind, StopPoolOutcome::Kind::signalFailed);
        EXPECT_EQ(terminator().stopAgent(agent(pid, 800)).kind, StopAgentOutcome::Kind::signalFailed);
        EXPECT_EQ(terminator().stopVisible({"v", 1, {kill(pid, 700), pool(pid)}}), (StopVisibleOutcome{0, 0, 0, 2}));
    }
    EXPECT_TRUE(signaller->opened.empty());
}

TEST_F(TerminatorFixture, PoolWorkersAreSignalledBestEffort) {
    signaller->openErrors = {{52, ESRCH}};  // gone since
    machine.processes[53].uid = kUID + 1;   // another user's by now
    const auto outcome = terminator().stopPool(pool());
    EXPECT_EQ(outcome, StopPoolOutcome::signaledMembers(1));
    EXPECT_EQ(outcome.message(), "Sent SIGTERM to 1 pool worker.");
    EXPECT_EQ(signaller->sent, (std::vector<std::pair<std::int32_t, int>>{{51, SIGTERM}}));

    signaller->sendErrors = {{51, EPERM}};
    EXPECT_EQ(terminator().stopPool(pool()), StopPoolOutcome::noActionableTarget());
    EXPECT_EQ(terminator().stopVisible({"v", 1, {pool()}}), (StopVisibleOutcome{0, 0, 1, 0}));
    signaller->sendErrors.clear();
    EXPECT_EQ(terminator().stopVisible({"v", 1, {pool()}}), (StopVisibleOutcome{1, 0, 0, 0}));  // a pool counts once
}

TEST_F(TerminatorFixture, ChangedExitedAndNoLongerAgent) {
    EXPECT_EQ(terminator().kill(kill(40, 701)), KillOutcome::identityChanged());
    EXPECT_EQ(terminator().kill(kill(41, 700)), KillOutcome::alreadyExited());
    EXPECT_EQ(terminator().stopPool(pool(50, 901)), StopPoolOutcome::identityChanged());
    EXPECT_EQ(terminator().stopPool(pool(49, 900)), StopPoolOutcome::alreadyExited());
    EXPECT_EQ(terminator().stopAgent(agent(60, 801)), StopAgentOutcome::identityChanged());
    EXPECT_EQ(terminator().stopAgent(agent(61, 800)), StopAgentOutcome::alreadyExited());
    EXPECT_EQ(terminator().stopAgent(agent(40, 700)), StopAgentOutcome::noLongerAgent());
    EXPECT_EQ(terminator().stopAgent(agent(60, 800, AgentKind::claude)), StopAgentOutcome::noLongerAgent());
    EXPECT_EQ(terminator().stopVisible({"v", 3, {kill(40, 701), kill(41, 700), pool(50, 901)}}),
              (StopVisibleOutcome{0, 1, 2, 0}));
    EXPECT_TRUE(signaller->sent.empty());
}

TEST_F(TerminatorFixture, StopAgentReadsTheArgumentVector) {
    // Codex run by node is only recognised by its arguments.
    machine.add(makeProcess(70, "/usr/bin/node", 1, kUID, 600,
                            std::vector<std::string>{"node", "/usr/lib/node_modules/@openai/codex/bin/codex"}));
    auto request = terminator().stopAgentRequest("s", AgentKind::codex, {{70, 600, 0}, AgentKind::codex});
    ASSERT_TRUE(request);
    EXPECT_EQ(request->providerName, "Codex");
    EXPECT_EQ(terminator().stopAgent(*request), StopAgentOutcome::signaled());
    EXPECT_EQ(signaller->sent, (std::vector<std::pair<std::int32_t, int>>{{70, SIGTERM}}));
}

}  // namespace
}  // namespace quaylight
