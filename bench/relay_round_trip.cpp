// Times what an agent waits for on every hook: from starting `quaylight agent-event` to
// the envelope arriving at a listening server, next to starting and reaping a bare
// `true`. The server runs in this process on a temporary home; the relay is the real
// executable, given a Claude "UserPromptSubmit" hook input inside a project folder.
//
//   build/bench/bench-relay-round-trip [--runs 300]
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstring>
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

void reap(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
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
    int runs = 300;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--runs") == 0) runs = std::max(1, std::atoi(argv[i + 1]));

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

    std::vector<double> roundTrips, relayExits, startOnly, bareTrue;
    for (int run = 0; run < runs; ++run) {
        double begun = wallMillis();
        pid_t relay = start({QUAYLIGHT_EXECUTABLE, "agent-event", "--provider", "claude", "--protocol", "1"}, input, envp);
        {
            std::unique_lock lock(mutex);
            if (!arrived.wait_for(lock, std::chrono::seconds(5), [&] { return delivered == run + 1; })) {
                std::fprintf(stderr, "an envelope never arrived\n");
                return 1;
            }
            roundTrips.push_back(arrivedAt - begun);
        }
        reap(relay);
        relayExits.push_back(wallMillis() - begun);

        begun = wallMillis();
        reap(start({QUAYLIGHT_EXECUTABLE, "agent-event"}, "", envp));  // refuses its arguments at once
        startOnly.push_back(wallMillis() - begun);

        begun = wallMillis();
        reap(start({"/bin/true"}, "", envp));
        bareTrue.push_back(wallMillis() - begun);
    }
    server.stop();
    std::filesystem::remove_all(home);

    auto show = [](const char* what, const std::vector<double>& samples) {
        auto s = stats(samples);
        std::printf("%-44s median %.3f ms   p90 %.3f ms   min %.3f ms\n", what, s.median, s.p90, s.min);
    };
    std::printf("%d runs\n", runs);
    show("relay start -> envelope received", roundTrips);
    show("relay start -> relay reaped", relayExits);
    show("relay without arguments start -> reaped", startOnly);
    show("/bin/true start -> reaped", bareTrue);
    return 0;
}
