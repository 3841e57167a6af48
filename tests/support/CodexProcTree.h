#pragma once
// A /proc tree in a temporary folder holding one Codex 0.171 terminal session as the npm
// package runs it: a terminal and its shell, the node wrapper, the native Codex it starts,
// and the shared app-server daemon with its pid-update loop, which the session started and
// which were left to PID 1. Paths and arguments are the ones the real package uses.

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"

namespace quaylight::testsupport {

struct CodexProcTree {
    static constexpr std::int32_t terminal = 30, shell = 31, wrapper = 40, native = 41, daemon = 50, pidLoop = 51;
    static constexpr const char* home = "/home/u";
    static constexpr const char* project = "/home/u/site";
    static constexpr const char* nativePath =
        "/home/u/.npm-global/lib/node_modules/@openai/codex/node_modules/@openai/codex-linux-x64/vendor/"
        "x86_64-unknown-linux-musl/bin/codex";
    static constexpr const char* daemonPath =
        "/home/u/.codex/packages/app-server-daemon/releases/0.171.0-x86_64-unknown-linux-musl/bin/codex";

    TempDir dir;

    explicit CodexProcTree(std::int32_t daemonParent = 1) {
        dir.write("stat", "cpu  1 2 3 4\nbtime 1700000000\nprocesses 42\n");
        const std::string header = "  sl  local_address rem_address   st tx_queue rx_queue tr tm->when retrnsmt   uid  "
                                   "timeout inode\n";
        dir.write("net/tcp", header);
        dir.write("net/tcp6", header);
        add(terminal, 1, "/usr/bin/xterm", {"xterm"}, home, 100);
        add(shell, terminal, "/usr/bin/bash", {"bash"}, project, 110);
        add(wrapper, shell, "/usr/bin/node", {"node", "/home/u/.npm-global/bin/codex"}, project, 120);
        add(native, wrapper, nativePath, {nativePath}, project, 130);
        add(daemon, daemonParent, daemonPath,
            {daemonPath, "app-server", "--listen", "unix://", "--analytics-default-enabled", "--managed-daemon"}, project,
            140);
        add(pidLoop, daemonParent, daemonPath, {daemonPath, "app-server", "daemon", "pid-update-loop"}, project, 150);
    }

    std::string root() const { return dir.path().string(); }

    // A process of the current user; `startTicks` orders the start times.
    void add(std::int32_t pid, std::int32_t parent, const std::string& executable, const std::vector<std::string>& argv,
             const std::string& cwd, int startTicks) {
        const auto p = std::to_string(pid);
        std::string name = std::filesystem::path(executable).filename().string().substr(0, 15);
        dir.write(p + "/stat", p + " (" + name + ") S " + std::to_string(parent) +
                                   " 1 1 0 -1 0 0 0 0 0 250 150 0 0 20 0 1 0 " + std::to_string(startTicks) +
                                   " 1000 512\n");
        dir.write(p + "/comm", name + "\n");
        std::string cmdline;
        for (const auto& argument : argv) cmdline += argument + '\0';
        dir.write(p + "/cmdline", cmdline);
        std::filesystem::create_symlink(executable, dir / (p + "/exe"));
        std::filesystem::create_symlink(cwd, dir / (p + "/cwd"));
        std::filesystem::create_directories(dir / (p + "/fd"));
    }
};

}  // namespace quaylight::testsupport
