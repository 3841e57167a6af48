// The readers on a small procfs tree built in a temporary folder.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "ProcessCoreKit/platform/Libproc.h"
#include "ProcessCoreKit/platform/ListeningSocketTable.h"
#include "ProcessCoreKit/agents/AgentProcessGraph.h"
#include "ProcessCoreKit/reader/ProcessReader.h"
#include "ProcessCoreKit/reader/RememberedArguments.h"
#include "ProcessCoreKit/recognition/AgentProcessDetector.h"
#include "tests/support/CodexProcTree.h"
#include "tests/support/TempDir.h"

namespace quaylight {
namespace {

namespace fs = std::filesystem;

std::string dataFile(const std::string& name) {
    std::ifstream in(std::string(QUAYLIGHT_TEST_DATA_DIR) + "/" + name);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

class FixtureProcTree : public ::testing::Test {
protected:
    void SetUp() override {
        dir.write("stat", "cpu  1 2 3 4\nbtime 1700000000\nprocesses 42\n");
        dir.write("net/tcp", dataFile("net_tcp.txt"));
        dir.write("net/tcp6", dataFile("net_tcp6.txt"));
        addProcess(100, "my server)", 1, std::string("node\0server.js\0--port\0", 22));
        fs::create_symlink("/usr/bin/node (deleted)", dir / "100/exe");
        fs::create_symlink("/home/u/project", dir / "100/cwd");
        fs::create_directories(dir / "100/fd");
        fs::create_symlink("/dev/null", dir / "100/fd/0");
        fs::create_symlink("socket:[55555]", dir / "100/fd/7");
        fs::create_symlink("socket:[11111]", dir / "100/fd/3");
        fs::create_symlink("socket:[33333]", dir / "100/fd/4");  // established
        fs::create_symlink("pipe:[99]", dir / "100/fd/5");

        addProcess(300, "worker", 100, std::string("worker\0", 7));
        dir.write("300/fd", "not a directory");  // descriptors we may not list
    }

    void addProcess(int pid, const std::string& name, int ppid, const std::string& cmdline) {
        auto p = std::to_string(pid);
        dir.write(p + "/stat", p + " (" + name + ") S " + std::to_string(ppid) +
                                   " 1 1 0 -1 0 0 0 0 0 250 150 0 0 20 0 1 0 12345 1000 512\n");
        dir.write(p + "/cmdline", cmdline);
    }

    testsupport::TempDir dir;
};

TEST_F(FixtureProcTree, ListsNumericEntriesOnly) {
    Libproc proc(dir.path().string());
    auto pids = proc.allPIDs();
    std::sort(pids.begin(), pids.end());
    EXPECT_EQ(pids, (std::vector<std::int32_t>{100, 300}));
    EXPECT_TRUE(Libproc("/nonexistent/proc").allPIDs().empty());
}

TEST_F(FixtureProcTree, ReadsStatIntoAStableIdentity) {
    Libproc proc(dir.path().string());
    auto info = proc.bsdInfo(100);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->commandName, "my server)");
    EXPECT_EQ(info->parentPID, 1);
    EXPECT_EQ(info->uid, ::geteuid());
    const auto hz = static_cast<std::uint64_t>(Libproc::clockTicksPerSecond());
    EXPECT_EQ(info->startTimeSeconds, 1700000000u + 12345u / hz);
    EXPECT_EQ(info->startTimeMicroseconds, (12345u % hz) * 1000000u / hz);

    // The boot time is read once: changing /proc/stat afterwards changes nothing.
    dir.write("stat", "btime 1800000000\n");
    EXPECT_EQ(proc.bsdInfo(100)->startTimeSeconds, info->startTimeSeconds);
    EXPECT_FALSE(proc.bsdInfo(400));  // vanished
}

TEST_F(FixtureProcTree, EnrichedSnapshotReadsEverythingOfTheUsersProcess) {
    Libproc proc(dir.path().string());
    ProcessReader reader{proc};
    auto snapshot = reader.enrichedSnapshot(100, ::geteuid(), true);
    ASSERT_TRUE(snapshot);
    EXPECT_EQ(snapshot->name, "my server)");
    EXPECT_EQ(snapshot->executablePath, "/usr/bin/node");  // " (deleted)" stripped
    EXPECT_EQ(snapshot->argv, (std::vector<std::string>{"node", "server.js", "--port"}));
    EXPECT_TRUE(snapshot->sameUser);
    EXPECT_TRUE(snapshot->cpuReadable);
    EXPECT_EQ(snapshot->residentMemoryBytes, 512u * static_cast<std::uint64_t>(Libproc::pageSize()));
    EXPECT_EQ(snapshot->cpuTimeNanos, 400ULL * 1'000'000'000ULL / static_cast<std::uint64_t>(Libproc::clockTicksPerSecond()));
    EXPECT_FALSE(snapshot->bundleIdentifier);

    EXPECT_FALSE(reader.enrichedSnapshot(100, ::geteuid(), false)->argv);
    EXPECT_FALSE(reader.enrichedSnapshot(100, ::geteuid() + 1, true));  // another user's: not read
    EXPECT_EQ(proc.currentWorkingDirectory(100), "/home/u/project");
}

TEST_F(FixtureProcTree, RememberedArgumentsFollowTheProcessNotItsPID) {
    Libproc proc(dir.path().string());
    ProcessReader reader{proc};
    RememberedArguments remembered(10);
    const std::vector<std::string> server{"node", "server.js", "--port"};
    remembered.beginScan();
    EXPECT_EQ(reader.enrichedSnapshot(100, ::geteuid(), true, &remembered)->argv, server);

    // A rewritten title is not read again by the next scan; a new process under the same PID
    // (another start time) is.
    dir.write("100/cmdline", std::string("node: title\0", 12));
    remembered.beginScan();
    EXPECT_EQ(reader.enrichedSnapshot(100, ::geteuid(), true, &remembered)->argv, server);
    dir.write("100/cmdline", std::string("other\0", 6));
    dir.write("100/stat", "100 (other) S 1 1 1 0 -1 0 0 0 0 0 250 150 0 0 20 0 1 0 99999 1000 512\n");
    remembered.beginScan();
    EXPECT_EQ(reader.enrichedSnapshot(100, ::geteuid(), true, &remembered)->argv, std::vector<std::string>{"other"});
    // Without argv asked, nothing is read or given.
    EXPECT_FALSE(reader.enrichedSnapshot(100, ::geteuid(), false, &remembered)->argv);
}

TEST_F(FixtureProcTree, MatchesSocketDescriptorsAgainstTheListeningTable) {
    Libproc proc(dir.path().string());
    auto table = ListeningSocketTable::fetch(proc);
    auto sockets = proc.listeningSockets(100, table);
    ASSERT_EQ(sockets.size(), 2u);
    // Descriptor order: fd 3 before fd 7.
    EXPECT_EQ(sockets[0].port, 8080);
    EXPECT_EQ(sockets[0].address, "127.0.0.1");
    EXPECT_EQ(sockets[1].port, 8081);
    EXPECT_EQ(sockets[1].family, AddressFamily::ipv6);
    EXPECT_TRUE(proc.listeningSockets(300, table).empty());
    EXPECT_TRUE(proc.listeningSockets(100, ListeningSocketTable{}).empty());
    // The same two as the table's inodes: the established socket 33333 is not one.
    EXPECT_EQ(proc.listeningSocketInodes(100, table), (std::vector<std::uint64_t>{11111, 55555}));
    const auto inodes = table.inodes();
    EXPECT_EQ(inodes.front(), 11111u);
    EXPECT_TRUE(std::is_sorted(inodes.begin(), inodes.end()));
}

TEST_F(FixtureProcTree, AnotherUsersProcessKeepsItsArgvUnread) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to give a fixture folder another owner";
    ASSERT_EQ(::chown((dir / "100").c_str(), 4242, 4242), 0);
    Libproc proc(dir.path().string());
    ProcessReader reader{proc};
    auto detection = reader.detectionSnapshot(100, 0);
    ASSERT_TRUE(detection);
    EXPECT_FALSE(detection->sameUser);
    EXPECT_EQ(detection->uid, 4242u);
    EXPECT_FALSE(detection->argv);
    EXPECT_FALSE(detection->cpuReadable);
    EXPECT_FALSE(reader.agentPresenceSnapshot(100, 0));
    EXPECT_EQ(reader.detectionSnapshot(100, 4242)->argv->size(), 3u);
}

TEST_F(FixtureProcTree, ActivitySnapshotRefusesAReusedPid) {
    Libproc proc(dir.path().string());
    ProcessReader reader{proc};
    auto earlier = reader.enrichedSnapshot(300, ::geteuid(), false);
    ASSERT_TRUE(earlier);
    earlier->residentMemoryBytes = 1;
    auto refreshed = reader.activitySnapshot(*earlier, ::geteuid());
    ASSERT_TRUE(refreshed);
    EXPECT_EQ(refreshed->residentMemoryBytes, 512u * static_cast<std::uint64_t>(Libproc::pageSize()));

    addProcess(300, "worker", 100, "");  // same PID, later start
    dir.write("300/stat", "300 (worker) S 100 1 1 0 -1 0 0 0 0 0 250 150 0 0 20 0 1 0 99999 1000 512\n");
    EXPECT_FALSE(reader.activitySnapshot(*earlier, ::geteuid()));
    earlier->sameUser = false;
    EXPECT_FALSE(reader.activitySnapshot(*earlier, ::geteuid()));
}

TEST_F(FixtureProcTree, AgentPresenceReadsArgvOnlyOfPossibleAgents) {
    Libproc proc(dir.path().string());
    ProcessReader reader{proc};
    // node is an interpreter: argv read so the script decides.
    auto node = reader.agentPresenceSnapshot(100, ::geteuid());
    ASSERT_TRUE(node);
    EXPECT_TRUE(node->argv);
    EXPECT_FALSE(node->cpuReadable);
    // "worker" without an executable path is nothing an agent could be.
    EXPECT_FALSE(reader.agentPresenceSnapshot(300, ::geteuid()));

    addProcess(500, "codex", 1, std::string("codex\0", 6));
    fs::create_symlink("/opt/bin/codex", dir / "500/exe");
    auto codex = reader.agentPresenceSnapshot(500, ::geteuid());
    ASSERT_TRUE(codex);
    // The basename names the agent, but only the arguments tell Codex's daemon from a session.
    EXPECT_EQ(codex->argv, std::vector<std::string>{"codex"});

    addProcess(600, "claude", 1, std::string("claude\0", 7));
    fs::create_symlink("/home/u/.local/share/claude/versions/2.0.14", dir / "600/exe");
    auto native = reader.agentPresenceSnapshot(600, ::geteuid());
    ASSERT_TRUE(native);
    EXPECT_EQ(native->argv, std::vector<std::string>{"claude"});

    // The quick first look (executable and command name) agrees with the full read: a
    // process that renamed itself to an agent's name is read, a plain one is not.
    addProcess(700, "claude", 1, std::string("bun\0cli.js\0", 11));
    fs::create_symlink("/usr/local/bin/bun", dir / "700/exe");
    dir.write("700/comm", "claude\n");
    auto renamed = reader.agentPresenceSnapshot(700, ::geteuid());
    ASSERT_TRUE(renamed);
    EXPECT_EQ(renamed->name, "claude");
    addProcess(800, "bash", 1, std::string("bash\0", 5));
    fs::create_symlink("/usr/bin/bash", dir / "800/exe");
    dir.write("800/comm", "bash\n");
    EXPECT_FALSE(reader.agentPresenceSnapshot(800, ::geteuid()));
    EXPECT_EQ(proc.commandName(800), "bash");
    EXPECT_EQ(proc.executablePath(100), "/usr/bin/node");
}

// One Codex terminal session: the wrapper and the native Codex under it are the agent, the
// shared daemon and its pid-update loop are none, read with the arguments that tell.
TEST(CodexFixtureProcTree, TheSharedDaemonIsReadWithItsArgumentsAndIsNoAgent) {
    using Tree = testsupport::CodexProcTree;
    Tree tree;
    Libproc proc(tree.root());
    ProcessReader reader{proc};
    for (std::int32_t pid : {Tree::daemon, Tree::pidLoop}) {
        auto snapshot = reader.agentPresenceSnapshot(pid, ::geteuid());
        ASSERT_TRUE(snapshot) << pid;
        ASSERT_TRUE(snapshot->argv) << pid;
        EXPECT_EQ(snapshot->argv->at(1), "app-server");
        EXPECT_TRUE(AgentProcessDetector::isCodexAppServerDaemon(*snapshot)) << pid;
        EXPECT_EQ(AgentProcessDetector::detect(*snapshot), std::nullopt) << pid;
        EXPECT_EQ(AgentProcessDetector::detect(*reader.detectionSnapshot(pid, ::geteuid())), std::nullopt) << pid;
    }
    for (std::int32_t pid : {Tree::wrapper, Tree::native}) {
        auto snapshot = reader.agentPresenceSnapshot(pid, ::geteuid());
        ASSERT_TRUE(snapshot) << pid;
        EXPECT_EQ(AgentProcessDetector::detect(*snapshot), AgentKind::codex) << pid;
    }
    std::vector<ProcessSnapshot> snapshots;
    for (auto pid : proc.allPIDs())
        if (auto snapshot = reader.detectionSnapshot(pid, ::geteuid())) snapshots.push_back(*snapshot);
    const AgentProcessGraph graph(snapshots);
    const auto sessions = graph.topLevelAgentSessions();
    ASSERT_EQ(sessions.size(), 1u);
    EXPECT_EQ(sessions[0].process.pid, Tree::wrapper);
}

TEST_F(FixtureProcTree, AgentPresenceFromTheInspectableTestsPathMatchesItsOwnRead) {
    Libproc proc(dir.path().string());
    ProcessReader reader{proc};
    addProcess(500, "codex", 1, std::string("codex\0", 6));
    fs::create_symlink("/opt/bin/codex", dir / "500/exe");
    // An agent renamed in a system folder is found by its command name.
    addProcess(900, "claude", 1, std::string("claude\0", 7));
    fs::create_symlink("/usr/libexec/helper (deleted)", dir / "900/exe");
    dir.write("900/comm", "claude\n");
    addProcess(800, "bash", 1, std::string("bash\0", 5));
    fs::create_symlink("/usr/bin/bash", dir / "800/exe");
    dir.write("800/comm", "bash\n");

    EXPECT_EQ(proc.inspectableExecutablePath(300), std::nullopt);  // no program link
    EXPECT_EQ(proc.inspectableExecutablePath(0), std::nullopt);
    for (std::int32_t pid : {100, 500, 800, 900}) {
        auto path = proc.inspectableExecutablePath(pid);
        ASSERT_TRUE(path) << pid;
        EXPECT_EQ(*path, proc.executablePath(pid)) << pid;
        EXPECT_EQ(reader.agentPresenceSnapshot(pid, ::geteuid(), *path), reader.agentPresenceSnapshot(pid, ::geteuid()))
            << pid;
    }
    auto renamed = reader.agentPresenceSnapshot(900, ::geteuid(), proc.executablePath(900));
    ASSERT_TRUE(renamed);
    EXPECT_EQ(renamed->executablePath, "/usr/libexec/helper");
    EXPECT_EQ(renamed->argv, std::vector<std::string>{"claude"});
}

}  // namespace
}  // namespace quaylight
