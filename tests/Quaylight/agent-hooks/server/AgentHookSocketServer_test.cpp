#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <thread>

#include "Quaylight/agent-hooks/relay/AgentHookRelay.h"
#include "Quaylight/agent-hooks/server/AgentHookSocketServer.h"
#include "tests/Quaylight/agent-hooks/support/EnvelopeCollector.h"
#include "tests/Quaylight/agent-hooks/support/Printers.h"
#include "tests/Quaylight/agent-hooks/support/HookFixtures.h"
#include "tests/Quaylight/agent-hooks/support/SocketClient.h"

namespace quaylight {
namespace {

using Server = AgentHookSocketServer;
using StartError = Server::StartError;
using Envelope = AgentHookProtocol::Envelope;
using EventKind = AgentHookProtocol::EventKind;
using testsupport::SocketClient;
using namespace std::chrono_literals;

Envelope envelope(const std::string& session) {
    return {1, AgentKind::claude, EventKind::turnEnded, session, "site", 321};
}

mode_t modeOf(const std::string& path) {
    struct stat st{};
    return lstat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

class HookServer : public ::testing::Test {
protected:
    testsupport::HookHome home;
    AgentHookPaths paths = AgentHookPaths::standard(home.home(), "/tmp");
    testsupport::EnvelopeCollector collector;
    WallTime fixedNow = wallTimeFromMicroseconds(1'234'567);

    std::unique_ptr<Server> makeServer(std::chrono::milliseconds deadline = 10s, bool admit = true) {
        Server::Dependencies dependencies;
        dependencies.now = [this] { return fixedNow; };
        dependencies.validatePeer = collector.countingPeerCheck(admit);
        dependencies.connectionDeadline = [deadline] { return deadline; };
        return std::make_unique<Server>(paths, dependencies, collector.handler());
    }
    // Sends a valid envelope the way the relay does.
    bool sendEnvelope(const std::string& session) {
        return AgentHookRelay::send(*AgentHookProtocol::encode(envelope(session)), paths.socketPath, 0.5);
    }
    // Everything sent before a sentinel has been dealt with once the sentinel arrives.
    std::vector<std::string> sessionsAfterSentinel() {
        std::size_t before = collector.deliveries().size();
        EXPECT_TRUE(sendEnvelope("sentinel"));
        EXPECT_TRUE(collector.waitForDeliveries(before + 1));
        std::vector<std::string> sessions;
        for (const auto& d : collector.deliveries()) sessions.push_back(d.envelope.sessionID);
        return sessions;
    }
};

TEST_F(HookServer, DeliversAnEnvelopeWithItsArrivalTime) {
    auto server = makeServer();
    ASSERT_EQ(server->start(), std::nullopt);
    EXPECT_EQ(modeOf(paths.runtimeDirectory), 0700u);
    EXPECT_EQ(modeOf(paths.socketPath), 0600u);
    struct stat st{};
    ASSERT_EQ(lstat(paths.socketPath.c_str(), &st), 0);
    EXPECT_TRUE(S_ISSOCK(st.st_mode));

    ASSERT_TRUE(sendEnvelope("one"));
    ASSERT_TRUE(collector.waitForDeliveries(1));
    auto delivered = collector.deliveries();
    ASSERT_EQ(delivered.size(), 1u);
    EXPECT_EQ(delivered[0].envelope, envelope("one"));
    EXPECT_EQ(delivered[0].at, fixedNow);

    server->stop();
    EXPECT_FALSE(std::filesystem::exists(paths.socketPath));
    EXPECT_FALSE(sendEnvelope("after stop"));
}

TEST_F(HookServer, StartingTwiceListensOnceAndStoppingTwiceIsHarmless) {
    auto server = makeServer();
    ASSERT_EQ(server->start(), std::nullopt);
    ASSERT_EQ(server->start(), std::nullopt);
    server->stop();
    server->stop();
    auto never = makeServer();
    home.place(paths.socketPath, "not ours");
    never->stop();  // never started: unlinks nothing
    EXPECT_EQ(testsupport::readFile(paths.socketPath), "not ours");
}

TEST_F(HookServer, MessagesOver4096BytesAreRefusedEvenBeforeTheyEnd) {
    auto server = makeServer();
    ASSERT_EQ(server->start(), std::nullopt);
    std::string bytes = *AgentHookProtocol::encode(envelope("big"));
    bytes.insert(bytes.size() - 1, ",\"pad\":\"" + std::string(4097, 'x') + "\"");
    bytes.resize(4097);
    SocketClient client(paths.socketPath);
    ASSERT_TRUE(client.isConnected());
    client.sendAll(bytes);  // not shut down: the server closes on the size alone
    EXPECT_TRUE(client.waitUntilClosedByServer());
    EXPECT_EQ(sessionsAfterSentinel(), std::vector<std::string>{"sentinel"});
}

TEST_F(HookServer, InvalidBytesAreDroppedAndTheServerKeepsServing) {
    auto server = makeServer();
    ASSERT_EQ(server->start(), std::nullopt);
    for (std::string bytes : {std::string(R"({"v":2,"provider":"claude","event":"turnEnded","sessionID":"s","parentPID":1})"),
                              std::string(R"({"v":1,"provider":"claude","event":"turnEnded","sessionID":"","parentPID":1})"),
                              std::string("garbage"), std::string()}) {
        SocketClient client(paths.socketPath);
        client.sendAll(bytes);
        client.shutdownWriting();
        EXPECT_TRUE(client.waitUntilClosedByServer());
    }
    EXPECT_EQ(sessionsAfterSentinel(), std::vector<std::string>{"sentinel"});
}

TEST_F(HookServer, ASilentClientIsCutAtItsDeadline) {
    auto server = makeServer(150ms);
    ASSERT_EQ(server->start(), std::nullopt);
    SocketClient silent(paths.socketPath);
    ASSERT_TRUE(silent.isConnected());
    silent.sendAll(R"({"v":1)");  // half a message, never finished
    EXPECT_TRUE(silent.waitUntilClosedByServer());
    EXPECT_EQ(sessionsAfterSentinel(), std::vector<std::string>{"sentinel"});
}

TEST_F(HookServer, TheDeadlineOfAFinishedConnectionSparesTheNextOneOnTheSameDescriptor) {
    // The first connection gets a short deadline, every later one a long one.
    Server::Dependencies dependencies;
    dependencies.validatePeer = collector.countingPeerCheck();
    auto calls = std::make_shared<int>(0);
    dependencies.connectionDeadline = [calls] { return (*calls)++ == 0 ? 200ms : 30s; };
    Server server(paths, dependencies, collector.handler());
    ASSERT_EQ(server.start(), std::nullopt);

    ASSERT_TRUE(sendEnvelope("first"));
    ASSERT_TRUE(collector.waitForDeliveries(1));  // its descriptor is closed and free again
    SocketClient second(paths.socketPath);        // most likely given the same descriptor number
    ASSERT_TRUE(collector.waitForAccepted(2));
    std::string bytes = *AgentHookProtocol::encode(envelope("second"));
    second.sendAll(bytes.substr(0, 10));
    std::this_thread::sleep_for(400ms);  // well past the first connection's deadline
    ASSERT_TRUE(second.sendAll(bytes.substr(10)));
    second.shutdownWriting();
    ASSERT_TRUE(collector.waitForDeliveries(2));
    EXPECT_EQ(collector.deliveries()[1].envelope, envelope("second"));
}

TEST_F(HookServer, TheSeventeenthConcurrentClientIsClosedWhileSixteenStayOpen) {
    auto server = makeServer();
    ASSERT_EQ(server->start(), std::nullopt);
    std::vector<std::unique_ptr<SocketClient>> open;
    for (int i = 0; i < 16; ++i) open.push_back(std::make_unique<SocketClient>(paths.socketPath));
    ASSERT_TRUE(collector.waitForAccepted(16));
    SocketClient seventeenth(paths.socketPath);
    EXPECT_TRUE(seventeenth.waitUntilClosedByServer());
    EXPECT_EQ(collector.accepted(), 16u);  // closed before its peer was even looked at

    std::string bytes = *AgentHookProtocol::encode(envelope("held open"));
    ASSERT_TRUE(open[7]->sendAll(bytes));
    open[7]->shutdownWriting();
    ASSERT_TRUE(collector.waitForDeliveries(1));
    EXPECT_EQ(collector.deliveries()[0].envelope.sessionID, "held open");
}

// Uses up every descriptor this process may open (below a lowered limit) until released.
class DescriptorExhaustion {
public:
    DescriptorExhaustion() {
        getrlimit(RLIMIT_NOFILE, &saved_);
        int highest = 0;
        for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
            highest = std::max(highest, std::stoi(entry.path().filename().string()));
        rlimit lowered = saved_;
        lowered.rlim_cur = static_cast<rlim_t>(highest + 1);
        setrlimit(RLIMIT_NOFILE, &lowered);
        for (int fd; (fd = open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;) fillers_.push_back(fd);
    }
    ~DescriptorExhaustion() { release(); }
    void release() {
        for (int fd : fillers_) close(fd);
        fillers_.clear();
        setrlimit(RLIMIT_NOFILE, &saved_);
    }

private:
    rlimit saved_{};
    std::vector<int> fillers_;
};

double processCPUSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

TEST_F(HookServer, OutOfDescriptorsItPausesInsteadOfSpinningAndAcceptsOnceItCan) {
    auto server = makeServer();
    ASSERT_EQ(server->start(), std::nullopt);
    int client = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);  // made before the descriptors run out
    ASSERT_GE(client, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", paths.socketPath.c_str());
    std::string bytes = *AgentHookProtocol::encode(envelope("after the shortage"));

    DescriptorExhaustion exhaustion;
    ASSERT_EQ(connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(write(client, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    shutdown(client, SHUT_WR);
    double cpuBefore = processCPUSeconds();
    std::this_thread::sleep_for(300ms);
    double busy = processCPUSeconds() - cpuBefore;
    EXPECT_TRUE(collector.deliveries().empty());
    exhaustion.release();

    EXPECT_LT(busy, 0.15) << "the server kept retrying accept while no descriptor was free";
    ASSERT_TRUE(collector.waitForDeliveries(1));
    EXPECT_EQ(collector.deliveries()[0].envelope.sessionID, "after the shortage");
    close(client);
}

TEST_F(HookServer, APeerOfAnotherUserIsClosedWithoutReading) {
    auto server = makeServer(10s, /*admit=*/false);
    ASSERT_EQ(server->start(), std::nullopt);
    SocketClient client(paths.socketPath);
    client.sendAll(*AgentHookProtocol::encode(envelope("refused")));
    client.shutdownWriting();
    EXPECT_TRUE(client.waitUntilClosedByServer());
    EXPECT_TRUE(collector.deliveries().empty());
}

TEST_F(HookServer, TheDefaultPeerCheckAdmitsTheSameUser) {
    int pair[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    EXPECT_TRUE(Server::Dependencies::sameEffectiveUser(pair[0]));
    close(pair[0]);
    close(pair[1]);
    int notASocket = open("/dev/null", O_RDONLY);
    EXPECT_FALSE(Server::Dependencies::sameEffectiveUser(notASocket));
    close(notASocket);
}

TEST_F(HookServer, ASymlinkedRuntimeFolderIsRefused) {
    std::string elsewhere = home.home() + "/elsewhere";
    std::filesystem::create_directories(elsewhere);
    std::filesystem::create_directories(std::filesystem::path(paths.runtimeDirectory).parent_path());
    ASSERT_EQ(symlink(elsewhere.c_str(), paths.runtimeDirectory.c_str()), 0);
    EXPECT_EQ(makeServer()->start(), StartError::runtimeDirectoryIsSymlink);
    EXPECT_TRUE(testsupport::folderEntries(elsewhere).empty());
}

TEST_F(HookServer, AnOpenRuntimeFolderIsMadePrivate) {
    std::filesystem::create_directories(paths.runtimeDirectory);
    chmod(paths.runtimeDirectory.c_str(), 0755);
    ASSERT_EQ(makeServer()->start(), std::nullopt);
    EXPECT_EQ(modeOf(paths.runtimeDirectory), 0700u);
}

TEST_F(HookServer, AFileWhereTheFolderShouldBeIsUnusable) {
    home.place(paths.runtimeDirectory, "file");
    EXPECT_EQ(makeServer()->start(), StartError::runtimeDirectoryUnavailable);
}

TEST_F(HookServer, AnotherUsersRuntimeFolderIsRefused) {
    if (geteuid() != 0) GTEST_SKIP() << "giving a folder away needs root";
    std::filesystem::create_directories(paths.runtimeDirectory);
    ASSERT_EQ(chown(paths.runtimeDirectory.c_str(), 12345, 12345), 0);
    EXPECT_EQ(makeServer()->start(), StartError::runtimeDirectoryNotOwnedByUser);
}

TEST_F(HookServer, ARegularFileAtTheSocketPathIsLeftUntouched) {
    home.place(paths.socketPath, "precious", 0600);
    chmod(paths.runtimeDirectory.c_str(), 0700);
    EXPECT_EQ(makeServer()->start(), StartError::stalePathIsNotAnOwnedSocket);
    EXPECT_EQ(testsupport::readFile(paths.socketPath), "precious");
}

TEST_F(HookServer, AStaleSocketIsReplaced) {
    std::filesystem::create_directories(paths.runtimeDirectory);
    int stale = testsupport::bindWithoutListening(paths.socketPath);
    ASSERT_GE(stale, 0);
    close(stale);
    auto server = makeServer();
    ASSERT_EQ(server->start(), std::nullopt);
    EXPECT_TRUE(sendEnvelope("fresh"));
    ASSERT_TRUE(collector.waitForDeliveries(1));
}

TEST_F(HookServer, ASecondInstanceLeavesTheLiveServersSocketAlone) {
    auto first = makeServer();
    ASSERT_EQ(first->start(), std::nullopt);
    {
        auto second = makeServer();
        EXPECT_EQ(second->start(), StartError::stalePathIsNotAnOwnedSocket);
        second->stop();
    }
    EXPECT_TRUE(std::filesystem::exists(paths.socketPath));
    EXPECT_TRUE(sendEnvelope("still first"));
    ASSERT_TRUE(collector.waitForDeliveries(1));
    EXPECT_EQ(collector.deliveries().back().envelope.sessionID, "still first");
}

TEST_F(HookServer, StopLeavesAPathThatIsNoLongerItsSocket) {
    auto server = makeServer();
    ASSERT_EQ(server->start(), std::nullopt);
    std::filesystem::remove(paths.socketPath);
    home.place(paths.socketPath, "someone else's now");
    server->stop();
    EXPECT_EQ(testsupport::readFile(paths.socketPath), "someone else's now");
}

TEST_F(HookServer, DroppingTheServerClosesButKeepsTheSocketFile) {
    auto server = makeServer();
    ASSERT_EQ(server->start(), std::nullopt);
    server.reset();
    EXPECT_TRUE(std::filesystem::exists(paths.socketPath));
    EXPECT_FALSE(sendEnvelope("nobody"));
    // The next server recognises the leftover as stale.
    ASSERT_EQ(makeServer()->start(), std::nullopt);
}

TEST_F(HookServer, ATooLongSocketPathFailsAfterPreparingTheFolder) {
    std::string folder = home.home() + "/" + std::string(60, 'f');
    paths = {folder, folder + "/" + std::string(60, 's')};
    EXPECT_EQ(makeServer()->start(), StartError::socketPathTooLong);
    EXPECT_EQ(modeOf(folder), 0700u);
}

}  // namespace
}  // namespace quaylight
