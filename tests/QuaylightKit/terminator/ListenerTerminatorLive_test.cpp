// The terminator against real processes: the test's own children, started from the fixture
// program. Every request passes the guard below before it reaches the terminator.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <stdexcept>

#include "QuaylightKit/terminator/ListenerTerminator.h"
#include "tests/QuaylightKit/terminator/OwnChildren.h"

namespace quaylight {
namespace {

using namespace testsupport;

// Refuses any request naming a live process that is not one of the test's own descendants;
// a PID that names no process at all is let through (the terminator then finds it gone, or
// finds a newcomer with another start time and leaves it alone).
void requireOwn(const ProcessIdentity& identity) {
    if (ProcessReader{}.liveResolveSnapshot(identity.pid) && !isOwnDescendant(identity.pid))
        throw std::logic_error("refusing to pass on a process this test did not start");
}

struct GuardedTerminator {
    ListenerTerminator terminator;

    KillOutcome kill(const KillRequest& r) const {
        requireOwn(r.target);
        return terminator.kill(r);
    }
    KillOutcome forceKill(const ForceKillRequest& r) const {
        requireOwn(r.target);
        return terminator.forceKill(r);
    }
    StopPoolOutcome stopPool(const StopPoolRequest& r) const {
        // The workers it may look for are the supervisor's children.
        if (r.poolSignals.parentIdentity != r.supervisor) throw std::logic_error("workers of another parent");
        requireOwn(r.supervisor);
        return terminator.stopPool(r);
    }
    StopAgentOutcome stopAgent(const StopAgentRequest& r) const {
        requireOwn(r.target.process);
        return terminator.stopAgent(r);
    }
    StopVisibleOutcome stopVisible(const StopVisibleRequest& r) const {
        for (const auto& target : r.targets) {
            if (auto* kill = std::get_if<KillRequest>(&target)) requireOwn(kill->target);
            if (auto* pool = std::get_if<StopPoolRequest>(&target)) requireOwn(pool->supervisor);
        }
        return terminator.stopVisible(r);
    }
};

GuardedTerminator terminatorFor(ProcessSafetyClassifier::Context context = contextWithoutSelf(),
                                PortEngine engine = engineWithoutSelf()) {
    return {ListenerTerminator(std::move(engine), context, ProcessSignaller::live())};
}

KillRequest killRequestFor(const OwnChild& child, ProcessIdentity target) {
    return KillRequest{
        {"listener", "fixture", target.pid, child.ports.empty() ? 0 : child.ports[0], "SIGTERM", target}};
}
KillRequest killRequestFor(const OwnChild& child) { return killRequestFor(child, child.identity); }

// The rows a scan of the machine shows for the child's processes.
std::vector<PortListener> scannedRows(const OwnChild& child) {
    std::vector<PortListener> rows;
    for (auto& listener : engineWithoutSelf().scan(true).listeners) {
        const auto pid = listener.process->identity.pid;
        const bool ours =
            pid == child.pid() || std::find(child.workers.begin(), child.workers.end(), pid) != child.workers.end();
        if (ours) rows.push_back(std::move(listener));
    }
    return rows;
}

// The stop-pool request for the pool row of the child's workers, as the panel builds it.
std::optional<StopPoolRequest> poolRequestFor(const OwnChild& supervisor) {
    for (const auto& row : scannedRows(supervisor))
        if (row.isWorkerPool()) return StopPoolRequest::request(row, contextWithoutSelf());
    return std::nullopt;
}

bool endedBy(int status, int signal) { return WIFSIGNALED(status) && WTERMSIG(status) == signal; }

TEST(ListenerTerminatorLive, KillSendsSIGTERMToTheScannedListener) {
    auto child = spawnOwnChild({"--listen", "127.0.0.1"});
    auto rows = scannedRows(child);
    ASSERT_EQ(rows.size(), 1u);
    auto request = KillRequest::request(rows[0], contextWithoutSelf());
    ASSERT_TRUE(request);
    EXPECT_EQ(request->target, child.identity);

    auto outcome = terminatorFor().kill(*request);
    EXPECT_EQ(outcome, KillOutcome::signaled());
    EXPECT_EQ(outcome.message(), "Sent SIGTERM.");
    EXPECT_TRUE(endedBy(child.process.finish(), SIGTERM));
}

TEST(ListenerTerminatorLive, ForceKillSendsSIGKILL) {
    auto child = spawnOwnChild({"--listen", "127.0.0.1"});
    auto rows = scannedRows(child);
    ASSERT_EQ(rows.size(), 1u);
    auto request = ForceKillRequest::request(rows[0], contextWithoutSelf());
    ASSERT_TRUE(request);
    EXPECT_EQ(request->signalName, "SIGKILL");
    EXPECT_EQ(terminatorFor().forceKill(*request).message(), "Sent SIGKILL.");
    EXPECT_TRUE(endedBy(child.process.finish(), SIGKILL));
}

TEST(ListenerTerminatorLive, APIDNowNamingAnotherProcessIsNotSignalled) {
    auto child = spawnOwnChild({"--listen", "127.0.0.1"});
    auto earlier = child.identity;  // as if the scanned process had exited and its PID been reused
    earlier.startTimeSeconds -= 1;
    auto outcome = terminatorFor().kill(killRequestFor(child, earlier));
    EXPECT_EQ(outcome, KillOutcome::identityChanged());
    EXPECT_EQ(outcome.message(), "That PID now belongs to a different process \u2014 nothing was signaled.");
    EXPECT_FALSE(outcome.isSuccess());
    earlier.startTimeSeconds += 1;
    earlier.startTimeMicroseconds ^= 1;
    EXPECT_EQ(terminatorFor().forceKill(ForceKillRequest{killRequestFor(child, earlier)}),
              KillOutcome::identityChanged());
    EXPECT_FALSE(child.process.hasExited());
}

TEST(ListenerTerminatorLive, AnExitedChildHadAlreadyExited) {
    auto child = spawnOwnChild({});
    auto request = killRequestFor(child);
    child.process.killAndWait(SIGKILL);  // exited and reaped: the PID names nobody now
    auto outcome = terminatorFor().kill(request);
    EXPECT_EQ(outcome.message(), "That process had already exited.");
    EXPECT_TRUE(outcome.isSuccess());
}

TEST(ListenerTerminatorLive, ProtectedProcessesAreRefusedWithTheirReasons) {
    TempDir dir;
    auto shell = spawnOwnChild({}, fixtureCopy(dir, "bash"));
    auto host = spawnOwnChild({}, fixtureCopy(dir, "kitty"));
    auto plain = spawnOwnChild({});
    const auto me = static_cast<std::int32_t>(::getpid());
    const auto uid = static_cast<std::uint32_t>(::getuid());
    auto systemEngine = PortEngineDependencies::live();
    systemEngine.currentPID = [] { return kNobodysPID; };
    systemEngine.strongSystemBackgroundFlags = [](const std::vector<std::optional<std::string>>& paths) {
        return std::vector<bool>(paths.size(), true);  // every program a vendor system executable
    };

    struct Case {
        const char* what;
        GuardedTerminator terminator;
        const OwnChild* child;
        ProtectionReason reason;
        const char* message;
    };
    const std::vector<Case> cases{
        {"login shell", terminatorFor(), &shell, ProtectionReason::loginShell,
         "That\u2019s a login shell \u2014 Quaylight won\u2019t stop it."},
        {"host app", terminatorFor(), &host, ProtectionReason::hostApp,
         "That\u2019s a host app (editor or terminal) \u2014 Quaylight won\u2019t stop it."},
        {"launched by us", terminatorFor({me, uid}), &plain, ProtectionReason::quaylightSelf,
         "Quaylight won\u2019t signal itself or a process it launched."},
        {"another user's", terminatorFor({kNobodysPID, uid + 1}), &plain, ProtectionReason::unconfirmedOwner,
         "Quaylight can\u2019t confirm you own that process \u2014 it won\u2019t signal it."},
        {"system executable", terminatorFor(contextWithoutSelf(), PortEngine(systemEngine)), &plain,
         ProtectionReason::appleSystemProcess, "That\u2019s a system process \u2014 Quaylight won\u2019t stop it."},
    };
    for (const auto& c : cases) {
        auto outcome = c.terminator.kill(killRequestFor(*c.child));
        EXPECT_EQ(outcome, KillOutcome::blocked(c.reason)) << c.what;
        EXPECT_EQ(outcome.message(), c.message) << c.what;
        EXPECT_EQ(c.terminator.forceKill(ForceKillRequest{killRequestFor(*c.child)}), KillOutcome::blocked(c.reason));
        EXPECT_EQ(c.terminator.stopAgent(
                      StopAgentRequest{"a", "Codex", c.child->pid(), "SIGTERM", {c.child->identity, AgentKind::codex}}),
                  StopAgentOutcome::blocked(c.reason))
            << c.what;
    }
    for (auto* child : {&shell, &host, &plain}) EXPECT_FALSE(child->process.hasExited());
}

TEST(ListenerTerminatorLive, StopPoolSignalsAnActionableSupervisor) {
    auto supervisor = spawnOwnChild({"--listen", "127.0.0.1", "--workers", "2"}, std::nullopt, true);
    auto request = poolRequestFor(supervisor);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->poolSize, 2);
    EXPECT_EQ(request->supervisor, supervisor.identity);

    auto outcome = terminatorFor().stopPool(*request);
    EXPECT_EQ(outcome.message(), "Sent SIGTERM to the pool supervisor.");
    EXPECT_TRUE(endedBy(supervisor.process.finish(), SIGTERM));
}

TEST(ListenerTerminatorLive, StopPoolSignalsTheWorkersOfAProtectedSupervisorOneByOne) {
    TempDir dir;
    // The supervisor forks its workers, then becomes a login shell; the workers stay.
    auto supervisor = spawnOwnChild({"--listen", "127.0.0.1", "--workers", "3", "--exec", fixtureCopy(dir, "bash")},
                                    std::nullopt, true);
    ASSERT_EQ(supervisor.process.readLine(), "ports");  // the first words of the new program
    ASSERT_EQ(ProcessReader{}.liveResolveSnapshot(supervisor.pid())->name, "bash");
    auto request = poolRequestFor(supervisor);
    ASSERT_TRUE(request);
    ASSERT_EQ(request->poolSize, 3);

    auto outcome = terminatorFor().stopPool(*request);
    EXPECT_EQ(outcome, StopPoolOutcome::signaledMembers(3));
    EXPECT_EQ(outcome.message(), "Sent SIGTERM to 3 pool workers.");
    for (int worker : supervisor.workers) EXPECT_TRUE(waitUntilEnded(worker)) << worker;
    EXPECT_FALSE(supervisor.process.hasExited());

    // Nothing is left to stop now.
    auto again = terminatorFor().stopPool(*request);
    EXPECT_EQ(again.message(), "Quaylight couldn\u2019t safely stop this pool.");
    EXPECT_FALSE(again.isSuccess());
}

TEST(ListenerTerminatorLive, StopPoolWithEveryWorkerProtectedSignalsNothing) {
    TempDir dir;
    auto shells = spawnOwnChild({"--listen", "127.0.0.1", "--workers", "2"}, fixtureCopy(dir, "bash"), true);
    auto rows = scannedRows(shells);
    auto pool = std::find_if(rows.begin(), rows.end(), [](const PortListener& l) { return l.isWorkerPool(); });
    ASSERT_NE(pool, rows.end());
    EXPECT_FALSE(StopPoolRequest::request(*pool, contextWithoutSelf()));  // not even offered
    StopPoolRequest request{
        pool->id(),
        "bash",
        pool->process->identity.pid,
        pool->port,
        2,
        "SIGTERM",
        shells.identity,
        {pool->port, pool->bindSignature, *pool->process->executablePath, shells.identity, *pool->process->uid}};
    EXPECT_EQ(terminatorFor().stopPool(request), StopPoolOutcome::noActionableTarget());
    for (int worker : shells.workers) EXPECT_FALSE(hasEnded(worker));
}

TEST(ListenerTerminatorLive, StopPoolOfAGoneOrReplacedSupervisor) {
    auto supervisor = spawnOwnChild({"--listen", "127.0.0.1", "--workers", "2"}, std::nullopt, true);
    auto request = poolRequestFor(supervisor);
    ASSERT_TRUE(request);
    auto replaced = *request;
    replaced.supervisor.startTimeSeconds += 1;
    replaced.poolSignals.parentIdentity = replaced.supervisor;
    auto outcome = terminatorFor().stopPool(replaced);
    EXPECT_EQ(outcome.message(),
              "The pool supervisor\u2019s PID now belongs to a different process \u2014 nothing was signaled.");
    supervisor.process.killAndWait(SIGKILL);
    EXPECT_EQ(terminatorFor().stopPool(*request).message(), "That pool had already stopped.");
}

TEST(ListenerTerminatorLive, StopVisibleCountsEachTargetOnce) {
    auto twoPorts = spawnOwnChild({"--listen", "127.0.0.1", "--listen", "127.0.0.1"});
    auto onePort = spawnOwnChild({"--listen", "127.0.0.1"});
    auto rows = scannedRows(twoPorts);
    auto more = scannedRows(onePort);
    rows.insert(rows.end(), more.begin(), more.end());
    ASSERT_EQ(rows.size(), 3u);
    auto request = StopVisibleRequest::request(rows, contextWithoutSelf());
    ASSERT_TRUE(request);
    EXPECT_EQ(request->listenerCount, 3);
    EXPECT_EQ(request->targetCount(), 2);

    auto replaced = spawnOwnChild({});
    auto gone = spawnOwnChild({});
    auto changed = replaced.identity;
    changed.startTimeSeconds += 1;
    request->targets.push_back(killRequestFor(replaced, changed));
    request->targets.push_back(killRequestFor(gone));
    gone.process.killAndWait(SIGKILL);

    auto outcome = terminatorFor().stopVisible(*request);
    EXPECT_EQ(outcome, (StopVisibleOutcome{2, 1, 1, 0}));
    EXPECT_EQ(outcome.message(), "Stopped 2 targets \u00b7 1 already exited \u00b7 1 safely skipped.");
    EXPECT_FALSE(outcome.isSuccess());
    EXPECT_TRUE(endedBy(twoPorts.process.finish(), SIGTERM));
    EXPECT_TRUE(endedBy(onePort.process.finish(), SIGTERM));
    EXPECT_FALSE(replaced.process.hasExited());
}

struct AgentCase {
    const char* what;
    const char* relativePath;  // of the fixture copy
    std::optional<std::string> argv0;
    std::vector<std::string> arguments;
    AgentKind kind;
};

TEST(ListenerTerminatorLive, StopAgentVerifiesAgentsByTheirArguments) {
    const std::vector<AgentCase> cases{
        {"codex binary", "bin/codex", std::nullopt, {}, AgentKind::codex},
        {"codex under node",
         "bin/node",
         "node",
         {"/usr/lib/node_modules/@openai/codex/bin/codex", "exec"},
         AgentKind::codex},
        {"native Claude Code install", ".local/share/claude/versions/2.1.14", "claude", {}, AgentKind::claude},
    };
    for (const auto& c : cases) {
        TempDir dir;
        auto agent = spawnOwnChild(c.arguments, fixtureCopy(dir, c.relativePath), false, c.argv0);
        const AgentProcessIdentity identity{agent.identity, c.kind};
        auto request = terminatorFor().terminator.stopAgentRequest("session-1", c.kind, identity);
        ASSERT_TRUE(request) << c.what;
        EXPECT_EQ(request->providerName, displayName(c.kind));
        EXPECT_EQ(request->pid, agent.pid());
        auto outcome = terminatorFor().stopAgent(*request);
        EXPECT_EQ(outcome.message(), "Sent SIGTERM to the verified agent process.") << c.what;
        EXPECT_TRUE(endedBy(agent.process.finish(), SIGTERM)) << c.what;
        EXPECT_EQ(terminatorFor().stopAgent(*request).message(), "That agent had already stopped.") << c.what;
    }
}

TEST(ListenerTerminatorLive, StopAgentRefusesAProcessThatIsNoLongerThatAgent) {
    TempDir dir;
    auto plain = spawnOwnChild({});
    auto codex = spawnOwnChild({}, fixtureCopy(dir, "codex"));
    EXPECT_FALSE(
        terminatorFor().terminator.stopAgentRequest("s", AgentKind::codex, {plain.identity, AgentKind::codex}));
    EXPECT_FALSE(
        terminatorFor().terminator.stopAgentRequest("s", AgentKind::claude, {codex.identity, AgentKind::claude}));

    const StopAgentRequest stale{"s", "Claude Code", codex.pid(), "SIGTERM", {codex.identity, AgentKind::claude}};
    auto outcome = terminatorFor().stopAgent(stale);
    EXPECT_EQ(outcome, StopAgentOutcome::noLongerAgent());
    EXPECT_EQ(outcome.message(), "That process is no longer a verified agent \u2014 nothing was signaled.");
    auto changed = codex.identity;
    changed.startTimeMicroseconds ^= 1;
    EXPECT_EQ(terminatorFor().stopAgent({"s", "Codex", codex.pid(), "SIGTERM", {changed, AgentKind::codex}}),
              StopAgentOutcome::identityChanged());
    EXPECT_FALSE(plain.process.hasExited());
    EXPECT_FALSE(codex.process.hasExited());
}

}  // namespace
}  // namespace quaylight
