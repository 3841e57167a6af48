// The relay sends the user's session id, event, project name and parent PID: only into a
// private folder of the user's own, and only to a listener running as the user.
#include <gtest/gtest.h>

#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <optional>

#include "Quaylight/agent-hooks/paths/AgentHookPaths.h"
#include "Quaylight/agent-hooks/support/UnixSocketAddress.h"
#include "Quaylight/agent-hooks/relay/AgentHookRelay.h"
#include "tests/Quaylight/agent-hooks/support/HookFixtures.h"
#include "tests/Quaylight/agent-hooks/support/RelayProcess.h"

namespace quaylight {
namespace {

constexpr uid_t kNobody = 65534;

// A listener in a child process that binds as this user, then (if asked) becomes another
// user before it listens, which is whose credentials a connecting peer sees. It accepts
// one connection and reports the number of bytes it read.
class ChildListener {
public:
    ChildListener(const std::string& path, std::optional<uid_t> listenAs) {
        int ready[2], result[2], stop[2];
        if (pipe(ready) != 0 || pipe(result) != 0 || pipe(stop) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            close(ready[0]);
            close(result[0]);
            close(stop[1]);
            serve(path, listenAs, ready[1], result[1], stop[0]);
        }
        close(ready[1]);
        close(result[1]);
        close(stop[0]);
        result_ = result[0];
        stop_ = stop[1];
        char byte = 0;
        listening_ = pid_ > 0 && read(ready[0], &byte, 1) == 1 && byte == 'L';
        close(ready[0]);
    }
    ~ChildListener() {
        if (pid_ > 0) {
            // Only this test's own child, and only while it has not been reaped.
            if (waitpid(pid_, nullptr, WNOHANG) == 0) {
                kill(pid_, SIGKILL);
                waitpid(pid_, nullptr, 0);
            }
        }
        if (result_ >= 0) close(result_);
        if (stop_ >= 0) close(stop_);
    }
    ChildListener(const ChildListener&) = delete;
    ChildListener& operator=(const ChildListener&) = delete;

    bool listening() const { return listening_; }
    // Bytes read from the connection; -1 when nothing had connected by now.
    long received() {
        close(stop_);
        stop_ = -1;
        long count = -2;
        if (read(result_, &count, sizeof count) != static_cast<ssize_t>(sizeof count)) count = -2;
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
        return count;
    }

private:
    pid_t pid_ = -1;
    int result_ = -1;
    int stop_ = -1;
    bool listening_ = false;

    // In the child: system calls only, then _exit.
    [[noreturn]] static void serve(const std::string& path, std::optional<uid_t> listenAs, int ready, int result,
                                   int stop) {
        int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        auto address = unixSocketAddress(path);
        if (fd < 0 || bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) _exit(2);
        if (listenAs && (setgroups(0, nullptr) != 0 || setresgid(*listenAs, *listenAs, *listenAs) != 0 ||
                         setresuid(*listenAs, *listenAs, *listenAs) != 0))
            _exit(3);
        if (listen(fd, 1) != 0 || write(ready, "L", 1) != 1) _exit(4);
        long count = -1;
        // A connection made before the parent asks for the count is already queued.
        pollfd waiting[2] = {{fd, POLLIN, 0}, {stop, POLLIN, 0}};
        if (poll(waiting, 2, 5000) >= 1 && (waiting[0].revents & POLLIN)) {
            int connection = accept(fd, nullptr, nullptr);
            count = 0;
            char buffer[4096];
            for (;;) {
                pollfd readable{connection, POLLIN, 0};
                if (poll(&readable, 1, 3000) != 1) break;
                ssize_t n = read(connection, buffer, sizeof buffer);
                if (n <= 0) break;
                count += n;
            }
        }
        if (write(result, &count, sizeof count) != static_cast<ssize_t>(sizeof count)) _exit(5);
        _exit(0);
    }
};

class RelayPeerTrust : public ::testing::Test {
protected:
    testsupport::HookHome home;
    AgentHookPaths paths = AgentHookPaths::standard(home.home(), "/tmp");

    void SetUp() override {
        std::filesystem::create_directories(paths.runtimeDirectory);
        ASSERT_EQ(chmod(paths.runtimeDirectory.c_str(), 0700), 0);
    }
    // The real executable, as a hook runs it, in connection-test mode.
    long relayRunAgainst(ChildListener& listener) {
        EXPECT_TRUE(listener.listening());
        auto exit = testsupport::runRelay({"--provider", "claude", "--protocol", "1", "--test"}, "", home.home());
        EXPECT_TRUE(exit.exitedNormally);
        EXPECT_EQ(exit.status, 0);
        return listener.received();
    }
};

TEST_F(RelayPeerTrust, AListenerOfThisUserReceivesTheEvent) {
    ChildListener listener(paths.socketPath, std::nullopt);
    EXPECT_GT(relayRunAgainst(listener), 0);
}

TEST_F(RelayPeerTrust, AListenerOfAnotherUserIsSentNothing) {
    if (geteuid() != 0) GTEST_SKIP() << "listening as another user needs root";
    ChildListener listener(paths.socketPath, kNobody);
    EXPECT_EQ(relayRunAgainst(listener), 0);  // connected, then closed unsent

    ChildListener again(paths.socketPath + "2", kNobody);
    ASSERT_TRUE(again.listening());
    EXPECT_FALSE(AgentHookRelay::send("{}", paths.socketPath + "2", 1.0));
    EXPECT_EQ(again.received(), 0);
}

TEST_F(RelayPeerTrust, AFolderOpenToOthersOrNotAFolderOfTheUserIsNotUsed) {
    struct Case {
        const char* what;
        bool needsRoot;
        std::function<std::string()> prepare;  // the socket path to send to
    };
    const std::string folder = paths.runtimeDirectory;
    const std::string link = home.home() + "/linked";
    const Case cases[] = {
        {"a folder others may enter", false,
         [&] {
             chmod(folder.c_str(), 0755);
             return paths.socketPath;
         }},
        {"a folder others may write to", false,
         [&] {
             chmod(folder.c_str(), 0733);
             return paths.socketPath;
         }},
        {"a symbolic link to the folder", false,
         [&] {
             std::filesystem::create_directory_symlink(folder, link);
             return link + "/" + AgentHookPaths::socketName;
         }},
        {"another user's folder", true,
         [&] {
             EXPECT_EQ(chown(folder.c_str(), kNobody, kNobody), 0);
             return paths.socketPath;
         }},
    };
    for (const auto& c : cases) {
        if (c.needsRoot && geteuid() != 0) continue;
        ChildListener listener(paths.socketPath, std::nullopt);
        ASSERT_TRUE(listener.listening()) << c.what;
        std::string target = c.prepare();
        EXPECT_FALSE(AgentHookRelay::send("{}", target, 1.0)) << c.what;
        EXPECT_EQ(listener.received(), -1) << c.what << ": it connected";
        // Back to a private folder of this user: the same listener setup receives it.
        std::filesystem::remove(link);
        ASSERT_EQ(chown(folder.c_str(), geteuid(), getegid()), 0);
        ASSERT_EQ(chmod(folder.c_str(), 0700), 0);
        std::filesystem::remove(paths.socketPath);
    }
    ChildListener listener(paths.socketPath, std::nullopt);
    ASSERT_TRUE(listener.listening());
    EXPECT_TRUE(AgentHookRelay::send("{}", paths.socketPath, 1.0));
    EXPECT_EQ(listener.received(), 2);
}

}  // namespace
}  // namespace quaylight
