#pragma once
// Real agent-looking processes for tests. Detection goes by the executable's basename
// (and, for node, by the script in argv[1]), so a shell is copied under an agent's name
// and runs a small script that starts the command it is given as its child:
//
//     codexArgv(CMD):  <tmp>/bin/codex <tmp>/agent.sh CMD...     - a Codex agent
//     claudeArgv(CMD): <tmp>/node <tmp>/bin/claude CMD...        - Claude Code run by node
//
// An agent's argv can itself be the command of another agent, to nest them.
//
// The child shares the agent's standard input; every process of the tree ends when the
// test closes it (ChildProcess::finish) or drops the handle.

#include <unistd.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "ProcessCoreKit/support/Time.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"

namespace quaylight::testsupport {

class AgentProcesses {
public:
    AgentProcesses() {
        auto shell = std::filesystem::canonical("/bin/sh");
        for (const char* name : {"bin/codex", "node"}) {
            std::filesystem::create_directories((dir_ / name).parent_path());
            std::filesystem::copy_file(shell, dir_ / name);
            std::filesystem::permissions(dir_ / name, std::filesystem::perms::owner_all);
        }
        // Keep the agent's own standard input for the child: an asynchronous command's
        // would otherwise be /dev/null.
        const char* script = "exec 3<&0\n\"$@\" <&3 &\ncat <&3 >/dev/null\nwait\n";
        dir_.write("agent.sh", script);
        dir_.write("bin/claude", script);
    }

    std::vector<std::string> codexArgv(const std::vector<std::string>& child) const {
        return withChild({path("bin/codex"), path("agent.sh")}, child);
    }
    std::vector<std::string> claudeArgv(const std::vector<std::string>& child) const {
        return withChild({path("node"), path("bin/claude")}, child);
    }

    ChildProcess codex(const std::vector<std::string>& child) const { return ChildProcess::spawn(codexArgv(child)); }
    ChildProcess claude(const std::vector<std::string>& child) const { return ChildProcess::spawn(claudeArgv(child)); }

    // The fixture program as a child: it prints one line once it runs.
    static std::vector<std::string> fixture(bool spin) {
        std::vector<std::string> argv{fixtureProcessPath()};
        if (spin) argv.push_back("--spin");
        return argv;
    }

private:
    std::string path(const std::string& relative) const { return (dir_ / relative).string(); }
    static std::vector<std::string> withChild(std::vector<std::string> argv, const std::vector<std::string>& child) {
        argv.insert(argv.end(), child.begin(), child.end());
        return argv;
    }

    TempDir dir_;
};

// A real pause between two scans, long enough that a stray clock tick of CPU time in an
// idle process stays far below the working threshold.
inline void betweenScans() { std::this_thread::sleep_for(std::chrono::milliseconds(250)); }

}  // namespace quaylight::testsupport
