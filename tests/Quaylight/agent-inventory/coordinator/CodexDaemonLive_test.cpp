// The real Codex command-line tool from npm in a terminal of its own: offline it waits at
// its sign-in screen, and meanwhile starts its shared app-server daemon and the daemon's
// pid-update loop, which outlive it. One Codex terminal session must be one agent session
// to the scan, the activity tracker and the hook attribution; the daemon none at all.
// Skips when the npm package is not installed (QUAYLIGHT_CODEX_CLI names its `codex`
// command, else `codex` on PATH must be the package's).
#include <gtest/gtest.h>

#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>
#include <thread>

#include "ProcessCoreKit/platform/Libproc.h"
#include "ProcessCoreKit/reader/ProcessReader.h"
#include "ProcessCoreKit/recognition/AgentProcessDetector.h"
#include "Quaylight/agent-inventory/coordinator/AgentInventoryCoordinator.h"
#include "QuaylightKit/engine/PortEngine.h"
#include "QuaylightKit/engine/PortEngineDependencies.h"
#include "TidewatchKit/scanner/AgentScanner.h"
#include "tests/support/TempDir.h"

extern char** environ;

namespace quaylight {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// The package's `codex` command: the link npm puts on PATH, run as node with that link.
std::optional<std::string> codexCommand() {
    if (const char* named = std::getenv("QUAYLIGHT_CODEX_CLI"); named && *named)
        return ::access(named, X_OK) == 0 ? std::optional<std::string>(named) : std::nullopt;
    const char* path = std::getenv("PATH");
    std::stringstream folders(path ? path : "");
    for (std::string folder; std::getline(folders, folder, ':');) {
        std::error_code error;
        const fs::path candidate = fs::path(folder) / "codex";
        const auto target = fs::canonical(candidate, error);
        if (!error && target.generic_string().ends_with("@openai/codex/bin/codex.js")) return candidate.string();
    }
    return std::nullopt;
}

// The TUI in a pseudo-terminal whose output is drained so that it never blocks; ended,
// with every process it left behind in its own home, when the test ends.
class CodexInTerminal {
public:
    CodexInTerminal(const std::string& command, const fs::path& home, const fs::path& folder) : home_(home) {
        // The daemon leaves its parent; as the subreaper this test, not PID 1, gets it and
        // can reap it in the end.
        ::prctl(PR_SET_CHILD_SUBREAPER, 1);
        std::vector<std::string> environment{"HOME=" + home.string(), "TERM=xterm-256color", "NO_COLOR=1"};
        if (const char* path = std::getenv("PATH")) environment.push_back(std::string("PATH=") + path);
        std::vector<char*> envp;
        for (auto& entry : environment) envp.push_back(entry.data());
        envp.push_back(nullptr);
        std::string program = command;
        std::vector<char*> argv{program.data(), nullptr};
        const std::string directory = folder.string();
        pid_ = ::forkpty(&master_, nullptr, nullptr, nullptr);
        if (pid_ == 0) {
            if (::chdir(directory.c_str()) == 0) ::execve(program.c_str(), argv.data(), envp.data());
            ::_exit(127);
        }
        if (pid_ > 0) drainer_ = std::thread([this] { drain(); });
    }
    CodexInTerminal(const CodexInTerminal&) = delete;
    CodexInTerminal& operator=(const CodexInTerminal&) = delete;

    ~CodexInTerminal() {
        endTerminal();
        // The daemon and its loop: started by this test, found by their home.
        for (auto pid : processesUnderHome()) {
            ::kill(pid, SIGKILL);
            while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
            }
        }
        ::prctl(PR_SET_CHILD_SUBREAPER, 0);
    }

    pid_t pid() const { return pid_; }

    void endTerminal() {
        if (pid_ > 0) {
            // The terminal's whole session: the node wrapper and the native Codex under it.
            ::kill(-pid_, SIGKILL);
            int status = 0;
            while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
            }
            pid_ = -1;
        }
        stop_ = true;
        if (drainer_.joinable()) drainer_.join();
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }

    // Processes whose executable lies in this test's home (Codex installs its daemon
    // there), with their argument vectors.
    std::vector<std::int32_t> processesUnderHome() const {
        std::vector<std::int32_t> found;
        const auto& proc = Libproc::live();
        for (auto pid : proc.allPIDs()) {
            auto path = proc.executablePath(pid);
            if (path && path->starts_with(home_.string() + "/")) found.push_back(pid);
        }
        return found;
    }

private:
    void drain() {
        char buffer[4096];
        while (!stop_) {
            pollfd entry{master_, POLLIN, 0};
            if (::poll(&entry, 1, 100) <= 0) continue;
            if (::read(master_, buffer, sizeof buffer) <= 0) return;
        }
    }

    fs::path home_;
    pid_t pid_ = -1;
    int master_ = -1;
    std::atomic<bool> stop_ = false;
    std::thread drainer_;
};

// The daemon's processes, once both run: the daemon and its pid-update loop.
std::optional<std::pair<ProcessSnapshot, ProcessSnapshot>> waitForDaemon(const CodexInTerminal& codex) {
    const ProcessReader reader;
    for (auto deadline = std::chrono::steady_clock::now() + 90s; std::chrono::steady_clock::now() < deadline;) {
        std::optional<ProcessSnapshot> daemon, loop;
        for (auto pid : codex.processesUnderHome()) {
            auto snapshot = reader.liveResolveSnapshotWithArgv(pid);
            if (!snapshot || !snapshot->argv) continue;
            const auto& argv = *snapshot->argv;
            if (std::find(argv.begin(), argv.end(), "--managed-daemon") != argv.end()) daemon = snapshot;
            if (std::find(argv.begin(), argv.end(), "pid-update-loop") != argv.end()) loop = snapshot;
        }
        if (daemon && loop) return std::pair{*daemon, *loop};
        std::this_thread::sleep_for(200ms);
    }
    return std::nullopt;
}

std::vector<std::int32_t> presenceOf(const ScanResult& result, const std::set<std::int32_t>& pids) {
    std::vector<std::int32_t> found;
    for (const auto& entry : result.agentPresence.entries)
        if (pids.contains(entry.identity.process.pid)) found.push_back(entry.identity.process.pid);
    return found;
}

TEST(CodexDaemonLive, OneCodexTerminalSessionIsOneSessionAndTheDaemonNone) {
    const auto command = codexCommand();
    if (!command) GTEST_SKIP() << "the @openai/codex npm package is not installed";
    testsupport::TempDir temp;
    const fs::path home = temp.path() / "home";
    const fs::path project = home / "site";
    temp.write("home/site/package.json", "{\"name\":\"site\"}\n");

    CodexInTerminal codex(*command, home, project);
    ASSERT_GT(codex.pid(), 0);
    auto daemons = waitForDaemon(codex);
    if (!daemons) GTEST_SKIP() << "this Codex started no shared app-server daemon";
    const auto& [daemon, loop] = *daemons;
    const std::set<std::int32_t> ours{codex.pid(), daemon.identity.pid, loop.identity.pid};

    // Neither is an agent, and so neither can be stopped as one.
    for (const auto& process : {daemon, loop}) {
        EXPECT_TRUE(AgentProcessDetector::isCodexAppServerDaemon(process)) << process.identity.pid;
        EXPECT_EQ(AgentProcessDetector::detect(process), std::nullopt) << process.identity.pid;
    }

    // The panel's scan: the terminal session alone.
    const auto scan = PortEngine{PortEngineDependencies::live()}.scan(false);
    EXPECT_EQ(presenceOf(scan, ours), std::vector<std::int32_t>{codex.pid()});

    // The activity tracker: no observation of the daemon.
    const auto tick = AgentScanner{AgentScannerDependencies::live()}.scanLightweight({}, wallNow());
    for (const auto& observation : tick.observations) {
        EXPECT_NE(observation.identity.pid, daemon.identity.pid);
        EXPECT_NE(observation.identity.pid, loop.identity.pid);
    }

    // A hook the daemon runs lands on the terminal session of its project.
    auto origin = AgentInventoryCoordinator::liveHookOrigin(daemon.identity.pid, std::string("site"));
    ASSERT_TRUE(origin.agentProcess);
    EXPECT_EQ(origin.agentProcess->process.pid, codex.pid());
    EXPECT_NE(origin.runtime, std::optional(daemon.identity));

    // Once the terminal is gone, the daemon runs on, and counts as nothing.
    codex.endTerminal();
    const auto after = PortEngine{PortEngineDependencies::live()}.scan(false);
    EXPECT_TRUE(presenceOf(after, ours).empty());
    EXPECT_TRUE(Libproc::live().identity(daemon.identity.pid)) << "the daemon ended with the terminal";
}

}  // namespace
}  // namespace quaylight
