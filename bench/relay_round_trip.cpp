// Times what an agent waits for on every hook: from starting `quaylight agent-event` to
// the envelope arriving at a listening server and the relay reaped, next to starting and
// reaping a bare `/bin/true` with the same standard input. The two alternate run by run
// (the order swapped every pair), and the figure that counts is the median of the pairs'
// ratios: on a shared machine the load shifts faster than rounds of one command can
// follow. The server runs in this process on a temporary home; the relay is the real
// executable, given a Claude "UserPromptSubmit" hook input inside a project folder.
//
//   build/bench/bench-relay-round-trip [--runs 300]
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include "Quaylight/agent-hooks/paths/AgentHookPaths.h"
#include "Quaylight/agent-hooks/server/AgentHookSocketServer.h"
#include "bench/BenchSupport.h"

using namespace quaylight;
using bench::wallMillis;

namespace {

// Starts `argv` with `input` waiting on its standard input; returns its pid.
pid_t start(std::vector<std::string> argv, const std::string& input, char** envp) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) std::abort();
    if (write(fds[1], input.data(), input.size()) != static_cast<ssize_t>(input.size())) std::abort();
    close(fds[1]);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[0], STDIN_FILENO);
    std::vector<char*> args;
    for (auto& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, args[0], &actions, nullptr, args.data(), envp) != 0) std::abort();
    posix_spawn_file_actions_destroy(&actions);
    close(fds[0]);
    return pid;
}

// The child's minor page faults.
long reap(pid_t pid) {
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0) {
    }
    return usage.ru_minflt;
}

struct Stats {
    double median, p90, min;
};
Stats stats(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return {samples[samples.size() / 2], samples[samples.size() * 9 / 10], samples.front()};
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = bench::countOption(argc, argv, "--runs", 300);

    char pattern[] = "/tmp/quaylight-bench-XXXXXX";
    std::string home = mkdtemp(pattern);
    std::filesystem::create_directories(home + "/code/site/server");
    std::ofstream(home + "/code/site/package.json") << "{}";

    std::mutex mutex;
    std::condition_variable arrived;
    int delivered = 0;
    double arrivedAt = 0;
    AgentHookSocketServer server(AgentHookPaths::standard(home, "/tmp"), {},
                                 [&](const AgentHookProtocol::Envelope&, WallTime) {
                                     std::lock_guard lock(mutex);
                                     arrivedAt = wallMillis();
                                     ++delivered;
                                     arrived.notify_all();
                                 });
    if (server.start()) {
        std::fprintf(stderr, "the hook server could not start\n");
        return 1;
    }

    std::string input = R"({"session_id":"4f1c2d3e-5a6b","transcript_path":"/x.jsonl","cwd":")" + home +
                        R"(/code/site/server","permission_mode":"default","hook_event_name":"UserPromptSubmit","prompt":"hello"})";
    std::string homeVariable = "HOME=" + home, runtimeVariable = "XDG_RUNTIME_DIR=/tmp";
    char* envp[] = {homeVariable.data(), runtimeVariable.data(), nullptr};

    std::vector<double> roundTrips, relayExits, bareTrue, exitRatios, roundTripRatios;
    std::vector<double> relayFaults, trueFaults;
    auto runRelay = [&](int run) {
        double begun = wallMillis();
        pid_t relay = start({QUAYLIGHT_EXECUTABLE, "agent-event", "--provider", "claude", "--protocol", "1"}, input, envp);
        {
            std::unique_lock lock(mutex);
            if (!arrived.wait_for(lock, std::chrono::seconds(5), [&] { return delivered == run + 1; })) {
                std::fprintf(stderr, "an envelope never arrived\n");
                std::exit(1);
            }
            roundTrips.push_back(arrivedAt - begun);
        }
        relayFaults.push_back(static_cast<double>(reap(relay)));
        relayExits.push_back(wallMillis() - begun);
    };
    auto runTrue = [&] {
        double begun = wallMillis();
        trueFaults.push_back(static_cast<double>(reap(start({"/bin/true"}, input, envp))));
        bareTrue.push_back(wallMillis() - begun);
    };
    for (int run = 0; run < runs; ++run) {
        if (run % 2 == 0) {
            runRelay(run);
            runTrue();
        } else {
            runTrue();
            runRelay(run);
        }
        exitRatios.push_back(relayExits.back() / bareTrue.back());
        roundTripRatios.push_back(roundTrips.back() / bareTrue.back());
    }
    server.stop();
    std::filesystem::remove_all(home);

    auto show = [](const char* what, const std::vector<double>& samples, const char* unit) {
        auto s = stats(samples);
        std::printf("%-36s median %.3f%s   p90 %.3f%s   min %.3f%s\n", what, s.median, unit, s.p90, unit, s.min, unit);
    };
    std::printf("%d pairs\n", runs);
    show("relay start -> envelope received", roundTrips, " ms");
    show("relay start -> relay reaped", relayExits, " ms");
    show("/bin/true start -> reaped", bareTrue, " ms");
    show("relay reaped / true, per pair", exitRatios, "");
    show("envelope received / true, per pair", roundTripRatios, "");
    show("relay minor page faults", relayFaults, "");
    show("/bin/true minor page faults", trueFaults, "");
    return 0;
}
