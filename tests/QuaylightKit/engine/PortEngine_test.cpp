#include <gtest/gtest.h>

#include <algorithm>

#include "ProcessCoreKit/records/ScanError.h"
#include "ProcessCoreKit/safety/ProcessSafetyClassifier.h"
#include "tests/QuaylightKit/engine/FakeMachine.h"

namespace quaylight {
namespace {

using testsupport::FakeMachine;
using testsupport::makeProcess;
using testsupport::socketOn;

const PortListener* rowOf(const ScanResult& result, std::int32_t pid, std::int64_t port) {
    for (const auto& l : result.listeners)
        if (l.process->identity.pid == pid && l.port == port) return &l;
    return nullptr;
}

TEST(PortEngine, EmptyProcessListFailsBeforeAnyOtherRead) {
    FakeMachine machine;
    PortEngine engine(machine.dependencies());
    try {
        engine.scan(true);
        FAIL() << "expected a scan failure";
    } catch (const ScanFailure& failure) {
        EXPECT_EQ(failure.error, ScanError::enumerationUnavailable);
    }
    EXPECT_EQ(machine.nowCalls, 1);
    EXPECT_EQ(machine.tableFetches, 0);
}

TEST(PortEngine, ReadsTheSocketTableOncePerScan) {
    FakeMachine machine;
    for (int pid = 100; pid < 110; ++pid)
        machine.add(makeProcess(pid, "/usr/bin/node", 1), {socketOn("127.0.0.1", 3000 + pid)});
    PortEngine engine(machine.dependencies());
    auto result = engine.scan(true);
    EXPECT_EQ(result.listeners.size(), 10u);
    EXPECT_EQ(machine.tableFetches, 1);
    EXPECT_EQ(machine.socketReads, 10);
    EXPECT_EQ(result.processCount, 10);
    EXPECT_EQ(result.scannedAt, machine.now);
}

TEST(PortEngine, OtherUsersProcessesAndProcessesWithoutSocketsGiveNoRows) {
    FakeMachine machine;
    machine.add(makeProcess(10, "/usr/sbin/sshd", 1, 0), {socketOn("0.0.0.0", 22)});
    machine.add(makeProcess(11, "/usr/bin/bash", 1));
    machine.add(makeProcess(12, "/usr/bin/node", 1), {socketOn("127.0.0.1", 3000)});
    PortEngine engine(machine.dependencies());
    auto result = engine.scan(true);
    ASSERT_EQ(result.listeners.size(), 1u);
    EXPECT_EQ(result.listeners[0].process->identity.pid, 12);
    EXPECT_EQ(machine.enrichedReads, 2);  // only processes with sockets are read
}

TEST(PortEngine, UninspectableProcessesAreNotRead) {
    FakeMachine machine;
    machine.add(makeProcess(12, "/usr/bin/node", 1), {socketOn("127.0.0.1", 3000)});
    machine.uninspectable.insert(12);
    PortEngine engine(machine.dependencies());
    EXPECT_TRUE(engine.scan(true).listeners.empty());
    EXPECT_EQ(machine.socketReads, 0);
}

TEST(PortEngine, EndpointsOfOnePortAreDistinctAndInListedOrder) {
    FakeMachine machine;
    machine.add(makeProcess(20, "/usr/bin/node", 1),
                {socketOn("127.0.0.1", 3000), socketOn("::1", 3000), socketOn("127.0.0.1", 3000),
                 socketOn("10.0.0.5", 4000)});
    PortEngine engine(machine.dependencies());
    auto result = engine.scan(true);
    ASSERT_EQ(result.listeners.size(), 2u);
    const auto* web = rowOf(result, 20, 3000);
    ASSERT_TRUE(web);
    EXPECT_EQ(web->endpoints, (std::vector<BoundEndpoint>{{"127.0.0.1", AddressFamily::ipv4, 3000},
                                                          {"::1", AddressFamily::ipv6, 3000}}));
    EXPECT_EQ(web->bindScope, BindScope::loopbackOnly);
    EXPECT_EQ(web->bindSignature.tokens, std::vector{BindSignature::Token::loopback()});
    EXPECT_EQ(web->id(), "proc:20:1000.0:TCP:3000:0");
    const auto* other = rowOf(result, 20, 4000);
    ASSERT_TRUE(other);
    EXPECT_EQ(other->bindScope, BindScope::specificInterface);
}

TEST(PortEngine, WorkersSharingASocketBecomeOnePool) {
    FakeMachine machine;
    machine.add(makeProcess(50, "/usr/bin/python3", 1, 501, 900));  // the supervisor, not listening
    for (int pid : {53, 51, 52})
        machine.add(makeProcess(pid, "/usr/bin/python3", 50, 501, 901), {socketOn("0.0.0.0", 8000)});
    PortEngine engine(machine.dependencies());
    auto result = engine.scan(true);
    ASSERT_EQ(result.listeners.size(), 1u);
    const auto& pool = result.listeners[0];
    EXPECT_EQ(pool.workerPoolSize, 3);
    EXPECT_TRUE(pool.isWorkerPool());
    EXPECT_EQ(pool.process->identity.pid, 51);  // the lowest PID stands for the pool
    EXPECT_EQ(pool.parentIdentity, (ProcessIdentity{50, 900, 0}));
    EXPECT_TRUE(pool.identity.isPool);
    EXPECT_EQ(pool.identity.process, (ProcessIdentity{50, 900, 0}));
    EXPECT_EQ(pool.identity.executablePath, "/usr/bin/python3");
    EXPECT_EQ(pool.id(), "pool:50:900.0:TCP:8000:1:/usr/bin/python3");
    EXPECT_EQ(machine.identityReads, 2);  // the parent once for three workers, then the representative
}

TEST(PortEngine, DifferentBindSignaturesOrMissingFactsStayPlainRows) {
    FakeMachine machine;
    machine.add(makeProcess(50, "/usr/bin/python3", 1, 501, 900));
    machine.add(makeProcess(51, "/usr/bin/python3", 50), {socketOn("127.0.0.1", 8000)});
    machine.add(makeProcess(52, "/usr/bin/python3", 50), {socketOn("0.0.0.0", 8000)});
    machine.add(makeProcess(60, std::nullopt, 50), {socketOn("0.0.0.0", 9000)});
    machine.add(makeProcess(61, std::nullopt, 50), {socketOn("0.0.0.0", 9000)});
    machine.add(makeProcess(70, "/usr/bin/node", 1), {socketOn("0.0.0.0", 9100)});  // parent 1: never pooled
    machine.add(makeProcess(71, "/usr/bin/node", 1), {socketOn("0.0.0.0", 9100)});
    machine.add(makeProcess(80, "/usr/bin/node", 404), {socketOn("0.0.0.0", 9200)});  // unreadable parent
    machine.add(makeProcess(81, "/usr/bin/node", 404), {socketOn("0.0.0.0", 9200)});
    PortEngine engine(machine.dependencies());
    auto result = engine.scan(true);
    ASSERT_EQ(result.listeners.size(), 8u);
    for (const auto& l : result.listeners) {
        EXPECT_EQ(l.workerPoolSize, 1) << l.id();
        EXPECT_FALSE(l.parentIdentity);
        EXPECT_FALSE(l.identity.isPool);
        EXPECT_FALSE(l.identity.executablePath);
        EXPECT_EQ(l.identity.process, l.process->identity);
    }
}

// One shell started two servers on one port, on two loopback addresses: the same bind
// signature, but two servers, each with its own row.
TEST(PortEngine, ServersOnOtherAddressesOfOnePortAreNoPool) {
    const std::pair<const char*, const char*> pairs[] = {{"127.0.0.1", "::1"}, {"127.0.0.1", "127.0.0.4"}};
    for (const auto& [first, second] : pairs) {
        FakeMachine machine;
        machine.add(makeProcess(40, "/usr/bin/bash", 1, 501, 800));
        machine.add(makeProcess(51, "/usr/bin/node", 40, 501, 901), {socketOn(first, 3000)});
        machine.add(makeProcess(52, "/usr/bin/node", 40, 501, 902), {socketOn(second, 3000)});
        PortEngine engine(machine.dependencies());
        auto result = engine.scan(true);
        ASSERT_EQ(result.listeners.size(), 2u) << second;
        for (const auto& l : result.listeners) {
            EXPECT_EQ(l.workerPoolSize, 1) << second;
            EXPECT_FALSE(l.identity.isPool) << second;
        }
        EXPECT_EQ(result.listeners[0].endpoints.at(0).address, first);
        EXPECT_EQ(result.listeners[1].endpoints.at(0).address, second);
    }
}

TEST(PortEngine, WorkersOnTheSameAddressesInAnyOrderAreOnePool) {
    FakeMachine machine;
    machine.add(makeProcess(40, "/usr/bin/bash", 1, 501, 800));
    machine.add(makeProcess(51, "/usr/bin/node", 40, 501, 901), {socketOn("127.0.0.1", 3000), socketOn("::1", 3000)});
    machine.add(makeProcess(52, "/usr/bin/node", 40, 501, 902), {socketOn("::1", 3000), socketOn("127.0.0.1", 3000)});
    PortEngine engine(machine.dependencies());
    auto result = engine.scan(true);
    ASSERT_EQ(result.listeners.size(), 1u);
    EXPECT_EQ(result.listeners[0].workerPoolSize, 2);
    // A real pool keeps its identity: the signature, not the addresses, is in its id.
    EXPECT_EQ(result.listeners[0].id(), "pool:40:800.0:TCP:3000:0:/usr/bin/node");
}

TEST(PortEngine, WorkersListeningBesideTheirParentLeaveTheParentARowOfItsOwn) {
    FakeMachine machine;
    machine.add(makeProcess(40, "/usr/bin/bash", 1, 501, 800));
    machine.add(makeProcess(50, "/opt/server", 40, 501, 900), {socketOn("127.0.0.1", 7000)});
    machine.add(makeProcess(51, "/opt/server", 50, 501, 901), {socketOn("127.0.0.1", 7000)});
    machine.add(makeProcess(52, "/opt/server", 50, 501, 901), {socketOn("127.0.0.1", 7000)});
    PortEngine engine(machine.dependencies());
    auto result = engine.scan(true);
    ASSERT_EQ(result.listeners.size(), 2u);
    EXPECT_EQ(result.listeners[0].workerPoolSize, 2);  // pools come first
    EXPECT_EQ(result.listeners[1].process->identity.pid, 50);
    EXPECT_EQ(result.listeners[1].workerPoolSize, 1);
}

TEST(PortEngine, RowsWithoutPoolFactsStandBeforeLoneRowsWithThem) {
    FakeMachine machine;
    machine.add(makeProcess(50, "/usr/bin/node", 40), {socketOn("127.0.0.1", 2)});  // has every fact
    machine.add(makeProcess(40, "/usr/bin/bash", 1));
    machine.add(makeProcess(60, std::nullopt, 40), {socketOn("127.0.0.1", 1)});
    machine.add(makeProcess(70, std::nullopt, 40), {socketOn("127.0.0.1", 3)});
    PortEngine engine(machine.dependencies());
    auto result = engine.scan(true);
    std::vector<std::int32_t> order;
    for (const auto& l : result.listeners) order.push_back(l.process->identity.pid);
    EXPECT_EQ(order, (std::vector<std::int32_t>{60, 70, 50}));
}

TEST(PortEngine, ClassifiesEachRowWithItsOwnPort) {
    FakeMachine machine;
    machine.add(makeProcess(20, "/opt/server", 1), {socketOn("127.0.0.1", 5432), socketOn("127.0.0.1", 9999)});
    machine.add(makeProcess(21, "/usr/bin/node", 1), {socketOn("127.0.0.1", 5432), socketOn("127.0.0.1", 9999)});
    PortEngine engine(machine.dependencies());
    auto result = engine.scan(true);
    EXPECT_EQ(rowOf(result, 20, 5432)->classification.label, "Postgres?");
    EXPECT_EQ(rowOf(result, 20, 9999)->classification, ServiceClassification::unknown());
    EXPECT_EQ(rowOf(result, 21, 5432)->classification.label, "Node");
    EXPECT_EQ(rowOf(result, 21, 9999)->classification.label, "Node");
}

TEST(PortEngine, ArgvIsReadOnlyWhenAsked) {
    FakeMachine machine;
    machine.add(makeProcess(20, "/usr/bin/node", 1, 501, 1000, std::vector<std::string>{"node", "vite"}),
                {socketOn("127.0.0.1", 5173)});
    PortEngine engine(machine.dependencies());
    auto withArgv = engine.scan(true);
    EXPECT_EQ(withArgv.listeners[0].classification.label, "Node \u00b7 Vite");
    auto without = engine.scan(false);
    EXPECT_FALSE(without.listeners[0].process->argv);
    EXPECT_EQ(without.listeners[0].classification.label, "Node");
}

TEST(PortEngine, SystemBackgroundAndKnownBackgroundRowsAreHidden) {
    FakeMachine machine;
    machine.add(makeProcess(20, "/usr/sbin/cupsd", 1), {socketOn("127.0.0.1", 631)});
    machine.add(makeProcess(21, "/opt/Raycast.app/Contents/MacOS/Raycast", 1), {socketOn("127.0.0.1", 7265)});
    machine.add(makeProcess(22, "/usr/bin/node", 1), {socketOn("127.0.0.1", 3000)});
    machine.systemPaths = {"/usr/sbin/cupsd"};
    PortEngine engine(machine.dependencies());
    auto result = engine.scan(true);
    EXPECT_EQ(rowOf(result, 20, 631)->visibility, VisibilityClass::hiddenSystemBackground);
    EXPECT_EQ(rowOf(result, 21, 7265)->visibility, VisibilityClass::hiddenSystemBackground);
    EXPECT_EQ(rowOf(result, 22, 3000)->visibility, VisibilityClass::defaultVisible);
    EXPECT_EQ(result.hiddenCount(), 2);
    EXPECT_EQ(result.visibleCount(), 1);
    EXPECT_EQ(machine.flagCalls, 1);
}

TEST(PortEngine, AFlagListOfTheWrongLengthNeverReadsPastItsEnd) {
    for (std::size_t count : {0u, 1u, 5u}) {
        FakeMachine machine;
        machine.add(makeProcess(20, "/usr/sbin/cupsd", 1), {socketOn("127.0.0.1", 631)});
        machine.add(makeProcess(22, "/usr/bin/node", 1), {socketOn("127.0.0.1", 3000)});
        machine.systemPaths = {"/usr/sbin/cupsd", "/usr/bin/node"};
        machine.flagCount = count;
        PortEngine engine(machine.dependencies());
        auto result = engine.scan(true);
        ASSERT_EQ(result.listeners.size(), 2u);
        EXPECT_EQ(result.hiddenCount(), static_cast<std::int64_t>(std::min<std::size_t>(count, 2))) << count;
    }
}

TEST(PortEngine, EnrichesEachProcessOnceWithHostProjectAndSubtree) {
    FakeMachine machine;
    machine.add(makeProcess(10, "/usr/bin/kitty", 1, 501, 500));
    machine.add(makeProcess(11, "/usr/bin/zsh", 10, 501, 501));
    machine.add(makeProcess(12, "/usr/bin/node", 11, 501, 502, std::vector<std::string>{"node", "server.js"}),
                {socketOn("127.0.0.1", 3000), socketOn("127.0.0.1", 3001)});
    machine.workingDirectories[12] = "/home/me/code/site/server";
    machine.files = {"/home/me/code/site/package.json"};
    PortEngine engine(machine.dependencies());
    auto result = engine.scan(true);
    ASSERT_EQ(result.listeners.size(), 2u);
    for (const auto& l : result.listeners) {
        EXPECT_EQ(l.host, (AgentHost{HostAppKind::terminal}));
        EXPECT_EQ(l.focusTarget, (FocusTarget{10, "kitty"}));
        EXPECT_EQ(l.project, (ListenerProject{"site", "/home/me/code/site"}));
        EXPECT_FALSE(l.isInQuaylightSubtree);
        EXPECT_FALSE(l.agentOrigin);
        EXPECT_EQ(l.classification.label, "Node");
    }
    EXPECT_EQ(result.listeners[0].project, result.listeners[1].project);
    // One copy of the process's snapshot for both its rows.
    EXPECT_EQ(&*result.listeners[0].process, &*result.listeners[1].process);
    EXPECT_EQ(result.listeners[0].process->argv, (std::vector<std::string>{"node", "server.js"}));
    EXPECT_EQ(machine.detectionReads[11], 1);  // each ancestor read once, however many walks
    EXPECT_EQ(machine.detectionReads[10], 1);
    EXPECT_TRUE(result.agentPresence.entries.empty());
    EXPECT_EQ(machine.homeReads, 1);  // for the listeners and the agents alike
}

TEST(PortEngine, ProjectsSideBySideTestEachFolderOnce) {
    FakeMachine machine;
    int tests = 0;
    for (int pid = 20; pid < 26; ++pid) {
        machine.add(makeProcess(pid, "/usr/bin/node", 1), {socketOn("127.0.0.1", 3000 + pid)});
        machine.workingDirectories[pid] = pid % 2 ? "/w/code/a" : "/w/code/b";
    }
    auto d = machine.dependencies();
    d.directoryExists = [&](const std::string&) {
        ++tests;
        return false;
    };
    PortEngine engine(d);
    auto result = engine.scan(true);
    for (const auto& l : result.listeners) EXPECT_FALSE(l.project);
    EXPECT_EQ(tests, 4 * 5);  // /w/code/a, /w/code/b, /w/code and /w, five markers each
}

TEST(PortEngine, ListenersBelowThisAppAreInItsSubtree) {
    FakeMachine machine;
    machine.selfPID = 30;
    machine.add(makeProcess(30, "/usr/local/bin/quaylight", 1));
    machine.add(makeProcess(31, "/usr/bin/node", 30), {socketOn("127.0.0.1", 3000)});
    PortEngine engine(machine.dependencies());
    EXPECT_TRUE(engine.scan(true).listeners.at(0).isInQuaylightSubtree);
}

TEST(PortEngine, AgentPresenceIsCountedByHostAndSorted) {
    FakeMachine machine;
    machine.add(makeProcess(5, "/usr/bin/kitty", 1, 501, 100));
    machine.add(makeProcess(6, "/opt/Claude/Claude", 1, 501, 100));
    machine.add(makeProcess(7, "/opt/ChatGPT/ChatGPT", 1, 501, 100));
    machine.add(makeProcess(40, "/home/me/.local/bin/claude", 5, 501, 200));
    machine.add(makeProcess(30, "/usr/bin/codex", 5, 501, 200));
    machine.add(makeProcess(20, "/usr/bin/codex", 6, 501, 200));   // under Claude Desktop: counted as claude
    machine.add(makeProcess(10, "/home/me/.local/bin/claude", 7, 501, 200));  // under ChatGPT: codex
    machine.workingDirectories[40] = "/home/me/code/api";
    machine.files = {"/home/me/code/api/.git"};
    PortEngine engine(machine.dependencies());
    auto result = engine.scan(true);
    const auto& entries = result.agentPresence.entries;
    ASSERT_EQ(entries.size(), 4u);
    std::vector<std::pair<AgentKind, std::int32_t>> order;
    for (const auto& e : entries) order.emplace_back(e.provider, e.identity.process.pid);
    EXPECT_EQ(order, (std::vector<std::pair<AgentKind, std::int32_t>>{
                         {AgentKind::codex, 10}, {AgentKind::codex, 30}, {AgentKind::claude, 20}, {AgentKind::claude, 40}}));
    EXPECT_EQ(entries[0].identity.kind, AgentKind::claude);
    EXPECT_EQ(entries[3].projectName, "api");
    ASSERT_TRUE(entries[3].host);
    EXPECT_EQ(entries[3].host->kind, HostAppKind::terminal);
    EXPECT_EQ(entries[3].focusTarget(), (FocusTarget{5, "kitty"}));
    EXPECT_EQ(entries[3].detectedAt, machine.now);
    EXPECT_EQ(result.agentPresence.codexCount(), 2);
    EXPECT_EQ(result.agentPresence.claudeCount(), 2);
}

TEST(PortEngine, ListenersOfASubAgentPointToTheTopLevelSession) {
    FakeMachine machine;
    machine.add(makeProcess(5, "/usr/bin/kitty", 1, 501, 100));
    machine.add(makeProcess(40, "/usr/bin/claude", 5, 501, 200));
    machine.add(makeProcess(41, "/usr/bin/claude", 40, 501, 210));  // a sub-agent
    machine.add(makeProcess(42, "/usr/bin/zsh", 41, 501, 220));
    machine.add(makeProcess(43, "/usr/bin/node", 42, 501, 230), {socketOn("127.0.0.1", 5173)});
    PortEngine engine(machine.dependencies());
    auto result = engine.scan(true);
    ASSERT_EQ(result.agentPresence.entries.size(), 1u);
    const auto& l = result.listeners.at(0);
    EXPECT_EQ(l.agentOrigin, AgentKind::claude);
    EXPECT_EQ(l.agentProcess, (AgentProcessIdentity{{40, 200, 0}, AgentKind::claude}));
}

TEST(PortEngine, AListenerUnderAnAgentInClaudeDesktopTakesTheProviderOfTheSession) {
    FakeMachine machine;
    machine.add(makeProcess(6, "/opt/Claude/Claude", 1, 501, 100));
    machine.add(makeProcess(20, "/usr/bin/codex", 6, 501, 200));
    machine.add(makeProcess(21, "/usr/bin/node", 20, 501, 210), {socketOn("127.0.0.1", 3000)});
    PortEngine engine(machine.dependencies());
    const auto result = engine.scan(true);  // the row is read from it, so it must outlive the line
    const auto& l = result.listeners.at(0);
    EXPECT_EQ(l.agentProcess, (AgentProcessIdentity{{20, 200, 0}, AgentKind::codex}));
    EXPECT_EQ(l.agentOrigin, AgentKind::claude);
}

TEST(PortEngine, AStaleInventorySnapshotGivesWayToTheListenersOwn) {
    // The inventory read the PID as an agent, but by the time the listener was read the
    // PID named another process: neither the stale agent nor its attribution survives.
    FakeMachine machine;
    machine.add(makeProcess(5, "/usr/bin/kitty", 1, 501, 100));
    machine.add(makeProcess(40, "/usr/bin/claude", 5, 501, 200), {socketOn("127.0.0.1", 3000)});
    machine.liveIdentities[40] = ProcessIdentity{40, 300, 0};
    PortEngine engine(machine.dependencies());
    auto result = engine.scan(true);
    EXPECT_TRUE(result.agentPresence.entries.empty());
    EXPECT_FALSE(result.listeners.at(0).agentOrigin);
    EXPECT_FALSE(result.listeners.at(0).agentProcess);
}

TEST(PortEngine, ResolvesLiveProcessesAndSubtrees) {
    FakeMachine machine;
    machine.add(makeProcess(30, "/usr/sbin/cupsd", 1));
    machine.add(makeProcess(31, "/usr/bin/node", 30));
    machine.systemPaths = {"/usr/sbin/cupsd"};
    PortEngine engine(machine.dependencies());
    auto live = engine.resolveLiveProcess(30);
    ASSERT_TRUE(live);
    EXPECT_TRUE(live->appleSystemBinary);
    EXPECT_FALSE(engine.resolveLiveProcess(31)->appleSystemBinary);
    EXPECT_FALSE(engine.resolveLiveProcess(77));
    machine.flagCount = 0;
    EXPECT_FALSE(engine.resolveLiveProcess(30));
    EXPECT_TRUE(engine.isInProcessSubtree(machine.processes[31], 30));
    EXPECT_FALSE(engine.isInProcessSubtree(machine.processes[30], 31));
    EXPECT_EQ(engine.detectionSnapshot(31)->identity.pid, 31);
}

TEST(PortEngine, PoolMembersAreTheLiveSignallableWorkersInListOrder) {
    FakeMachine machine;
    machine.uid = ProcessSafetyClassifier::Context::current().currentUID;
    const auto uid = machine.uid;
    machine.add(makeProcess(50, "/usr/bin/python3", 1, uid, 900));
    machine.add(makeProcess(53, "/usr/bin/python3", 50, uid), {socketOn("0.0.0.0", 8000)});
    machine.add(makeProcess(51, "/usr/bin/python3", 50, uid), {socketOn("0.0.0.0", 8000)});
    machine.add(makeProcess(52, "/usr/bin/python3", 50, uid), {socketOn("127.0.0.1", 8000)});  // other signature
    machine.add(makeProcess(54, "/usr/bin/zsh", 50, uid), {socketOn("0.0.0.0", 8000)});         // other program
    machine.add(makeProcess(55, "/usr/bin/python3", 50, uid + 1), {socketOn("0.0.0.0", 8000)});  // other user
    machine.add(makeProcess(56, "/usr/bin/python3", 50, uid), {socketOn("0.0.0.0", 8001)});     // other port
    machine.add(makeProcess(57, "/usr/bin/python3", 50, uid), {socketOn("0.0.0.0", 8000), socketOn("::", 8000)});
    const std::vector<BoundEndpoint> wildcard{{"0.0.0.0", AddressFamily::ipv4, 8000}};
    WorkerPoolCollapser::Signals signals{8000, BindSignature::make(wildcard), "/usr/bin/python3",
                                         ProcessIdentity{50, 900, 0}, uid, wildcard};
    PortEngine engine(machine.dependencies());
    EXPECT_EQ(engine.poolMemberIdentities(signals), (std::vector<ProcessIdentity>{{53, 1000, 0}, {51, 1000, 0}}));

    signals.parentIdentity = ProcessIdentity{50, 901, 0};  // the supervisor was replaced
    EXPECT_TRUE(engine.poolMemberIdentities(signals).empty());
}

TEST(PortEngine, PoolMembersLeaveOutProtectedProcesses) {
    FakeMachine machine;
    const auto context = ProcessSafetyClassifier::Context::current();
    machine.uid = context.currentUID;
    machine.add(makeProcess(50, "/usr/bin/bash", 1, machine.uid, 900));
    machine.add(makeProcess(51, "/usr/bin/bash", 50, machine.uid), {socketOn("0.0.0.0", 8000)});  // a login shell
    const std::vector<BoundEndpoint> wildcard{{"0.0.0.0", AddressFamily::ipv4, 8000}};
    WorkerPoolCollapser::Signals signals{8000, BindSignature::make(wildcard), "/usr/bin/bash",
                                         ProcessIdentity{50, 900, 0}, machine.uid, wildcard};
    PortEngine engine(machine.dependencies());
    EXPECT_TRUE(engine.poolMemberIdentities(signals).empty());
}

TEST(WorkerPoolCollapser, PoolsFirstThenSignalLessItemsThenLoneMembers) {
    using Signals = WorkerPoolCollapser::Signals;
    auto signals = [](int port) {
        return Signals{port, {}, "/bin/x", ProcessIdentity{7, 1, 0}, 501};
    };
    std::vector<std::optional<Signals>> items{signals(1), std::nullopt, signals(2), signals(1), std::nullopt, signals(3),
                                              signals(2)};
    auto groups = WorkerPoolCollapser::group(items, [](const auto& s) { return s; });
    EXPECT_EQ(groups, (std::vector<std::vector<std::size_t>>{{0, 3}, {2, 6}, {1}, {4}, {5}}));
}

}  // namespace
}  // namespace quaylight
