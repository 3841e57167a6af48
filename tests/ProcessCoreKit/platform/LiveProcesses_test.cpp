// The readers against real child processes of this test.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include "ProcessCoreKit/platform/Libproc.h"
#include "ProcessCoreKit/platform/ListeningSocketTable.h"
#include "ProcessCoreKit/reader/ProcessReader.h"
#include "tests/support/ChildProcess.h"

namespace quaylight {
namespace {

using testsupport::ChildProcess;

struct ListenerChild {
    ChildProcess process;
    std::vector<int> ports;
};

ListenerChild startListeners() {
    auto child = ChildProcess::spawn({testsupport::fixtureProcessPath(), "--listen", "127.0.0.1", "--listen-dual", "--udp",
                                      "127.0.0.1", "--connect"});
    auto ports = testsupport::numbersAfter(child.readLine(), "ports");
    return {std::move(child), ports};
}

void expectOnlyTheTwoListeners(const ListeningSocketTable& table, const ListenerChild& child) {
    auto sockets = Libproc::live().listeningSockets(child.process.pid(), table);
    ASSERT_EQ(sockets.size(), 2u);
    EXPECT_EQ(sockets[0].port, child.ports[0]);
    EXPECT_EQ(sockets[0].family, AddressFamily::ipv4);
    EXPECT_EQ(sockets[0].address, "127.0.0.1");
    EXPECT_EQ(sockets[1].port, child.ports[1]);
    EXPECT_EQ(sockets[1].family, AddressFamily::ipv6);
    EXPECT_EQ(sockets[1].address, "::");
}

TEST(LiveProcesses, FindsListeningSocketsButNotConnectedOrUdpOnes) {
    auto child = startListeners();
    ASSERT_EQ(child.ports.size(), 2u);
    expectOnlyTheTwoListeners(ListeningSocketTable::fetch(Libproc::live()), child);
}

TEST(LiveProcesses, NetlinkAndProcFilesAgree) {
    auto child = startListeners();
    auto netlink = ListeningSocketTable::fromNetlink();
    if (!netlink) GTEST_SKIP() << "netlink sock_diag is not available here";
    expectOnlyTheTwoListeners(*netlink, child);
    expectOnlyTheTwoListeners(ListeningSocketTable::fromProcFiles("/proc"), child);
}

TEST(LiveProcesses, SharedListeningSocketIsReportedForEveryProcessHoldingIt) {
    auto parent = ChildProcess::spawn({testsupport::fixtureProcessPath(), "--listen", "127.0.0.1", "--workers", "2"});
    int port = testsupport::numbersAfter(parent.readLine(), "ports").at(0);
    auto workers = testsupport::numbersAfter(parent.readLine(), "workers");
    auto table = ListeningSocketTable::fetch(Libproc::live());
    for (int pid : {static_cast<int>(parent.pid()), workers[0], workers[1]}) {
        auto sockets = Libproc::live().listeningSockets(pid, table);
        ASSERT_EQ(sockets.size(), 1u) << pid;
        EXPECT_EQ(sockets[0].port, port);
    }
}

TEST(LiveProcesses, ArgvComesBackExactly) {
    std::vector<std::string> argv{"my-server", "--flag", "two words", "", "ünïcode"};
    auto child = ChildProcess::spawn(argv, testsupport::fixtureProcessPath());
    child.readLine();
    ProcessReader reader;
    auto snapshot = reader.enrichedSnapshot(child.pid(), ::geteuid(), true);
    ASSERT_TRUE(snapshot);
    EXPECT_EQ(snapshot->argv, argv);
    EXPECT_EQ(snapshot->executablePath, testsupport::fixtureProcessPath());
    EXPECT_EQ(snapshot->parentPID, ::getpid());
    EXPECT_TRUE(snapshot->cpuReadable);
    EXPECT_GT(snapshot->residentMemoryBytes.value_or(0), 0u);
}

TEST(LiveProcesses, IdentityIsStableAndDistinguishesProcesses) {
    auto first = ChildProcess::spawn({testsupport::fixtureProcessPath()});
    first.readLine();
    ProcessReader reader;
    auto a = reader.liveResolveSnapshot(first.pid());
    ASSERT_TRUE(a);
    for (int i = 0; i < 50; ++i) {
        Libproc fresh("/proc");  // a new reader reads the boot time again
        auto again = ProcessReader{fresh}.liveResolveSnapshot(first.pid());
        ASSERT_TRUE(again);
        ASSERT_EQ(again->identity, a->identity);
    }
    usleep(20'000);
    auto second = ChildProcess::spawn({testsupport::fixtureProcessPath()});
    second.readLine();
    auto b = reader.liveResolveSnapshot(second.pid());
    ASSERT_TRUE(b);
    EXPECT_NE(std::pair(a->identity.startTimeSeconds, a->identity.startTimeMicroseconds),
              std::pair(b->identity.startTimeSeconds, b->identity.startTimeMicroseconds));
    EXPECT_TRUE(b->identity.startedAfter(a->identity));
}

TEST(LiveProcesses, VanishedProcessReadsAsAbsent) {
    auto child = ChildProcess::spawn({testsupport::fixtureProcessPath()});
    child.readLine();
    pid_t pid = child.pid();
    child.finish();
    ProcessReader reader;
    EXPECT_FALSE(reader.liveResolveSnapshot(pid));
    EXPECT_FALSE(reader.enrichedSnapshot(pid, ::geteuid(), true));
    EXPECT_FALSE(Libproc::live().currentWorkingDirectory(pid));
}

TEST(LiveProcesses, ReadsTheWorkingDirectoryAndTheCommandName) {
    auto child = ChildProcess::spawn({testsupport::fixtureProcessPath(), "--chdir", "/tmp", "--name", "a name) (x"});
    child.readLine();
    EXPECT_EQ(Libproc::live().currentWorkingDirectory(child.pid()), "/tmp");
    auto info = Libproc::live().bsdInfo(child.pid());
    ASSERT_TRUE(info);
    EXPECT_EQ(info->commandName, "a name) (x");
    EXPECT_EQ(info->uid, ::geteuid());
}

TEST(LiveProcesses, OneReadIdentityMatchesTheFullRead) {
    auto child = ChildProcess::spawn({testsupport::fixtureProcessPath()});
    child.readLine();
    auto info = Libproc::live().bsdInfo(child.pid());
    ASSERT_TRUE(info);
    EXPECT_EQ(Libproc::live().identity(child.pid()),
              (ProcessIdentity{child.pid(), info->startTimeSeconds, info->startTimeMicroseconds}));
    child.finish();
    EXPECT_EQ(Libproc::live().identity(child.pid()), std::nullopt);
    EXPECT_EQ(Libproc::live().identity(-1), std::nullopt);
}

TEST(LiveProcesses, OnlyRunningProgramsAreInspectable) {
    auto child = ChildProcess::spawn({testsupport::fixtureProcessPath()});
    child.readLine();
    EXPECT_TRUE(Libproc::live().isInspectableProgram(child.pid()));
    EXPECT_TRUE(Libproc::live().isInspectableProgram(::getpid()));

    // A zombie has no program left to inspect (nor descriptors).
    pid_t zombie = ::fork();
    if (zombie == 0) ::_exit(0);
    ASSERT_GT(zombie, 0);
    for (int waited = 0; waited < 5000 && Libproc::live().isInspectableProgram(zombie); ++waited) ::usleep(1000);
    EXPECT_FALSE(Libproc::live().isInspectableProgram(zombie));
    ::waitpid(zombie, nullptr, 0);
    EXPECT_FALSE(Libproc::live().isInspectableProgram(zombie));  // gone
    EXPECT_FALSE(Libproc::live().isInspectableProgram(0));
    // The same answer, with the path, from the one read.
    EXPECT_EQ(Libproc::live().inspectableExecutablePath(zombie), std::nullopt);
    EXPECT_EQ(Libproc::live().inspectableExecutablePath(child.pid()),
              std::optional(Libproc::live().executablePath(child.pid())));
    EXPECT_EQ(Libproc::live().inspectableExecutablePath(::getpid()),
              std::optional(Libproc::live().executablePath(::getpid())));
}

}  // namespace
}  // namespace quaylight
