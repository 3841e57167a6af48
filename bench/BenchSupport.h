#pragma once
// Clocks and a known load of listeners, shared by the benchmark programs.

#include <arpa/inet.h>
#include <sched.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

namespace quaylight::bench {

inline double wallMillis() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// The calling thread's CPU time.
inline double cpuMillis() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

namespace detail {

[[noreturn]] inline void holdListeners(int count, int readyPipe) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    for (int i = 0; i < count; ++i) {
        int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 4) != 0) _exit(1);
    }
    char ok = 1;
    if (write(readyPipe, &ok, 1) != 1) _exit(1);
    for (;;) pause();
}

}  // namespace detail

// `processes` child processes holding `listeners` listening sockets in all on 127.0.0.1,
// each on a port of the kernel's choosing. Returns once every socket listens; no value
// (and no child left) when one could not. The children die with the calling process.
inline std::optional<std::vector<pid_t>> startListenerFarm(int processes, int listeners) {
    int ready[2];
    if (processes < 1 || listeners < 0 || pipe(ready) != 0) return std::nullopt;
    std::vector<pid_t> children;
    auto fail = [&]() -> std::optional<std::vector<pid_t>> {
        for (pid_t child : children) kill(child, SIGKILL);
        for (pid_t child : children) waitpid(child, nullptr, 0);
        return std::nullopt;
    };
    for (int p = 0; p < processes; ++p) {
        int share = listeners / processes + (p < listeners % processes ? 1 : 0);
        pid_t pid = fork();
        if (pid == 0) detail::holdListeners(share, ready[1]);
        if (pid < 0) return fail();
        children.push_back(pid);
    }
    for (int p = 0; p < processes; ++p) {
        char ok = 0;
        if (read(ready[0], &ok, 1) != 1 || ok != 1) return fail();
    }
    close(ready[0]);
    close(ready[1]);
    return children;
}

inline void stopListenerFarm(const std::vector<pid_t>& children) {
    for (pid_t child : children) kill(child, SIGKILL);
    for (pid_t child : children) waitpid(child, nullptr, 0);
}

// The whole number after `--name` on the command line (at least 1), else `fallback`.
inline int countOption(int argc, char** argv, const char* name, int fallback) {
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], name) == 0) return std::max(1, std::atoi(argv[i + 1]));
    return fallback;
}

// Keeps the calling process on the first core, so figures are for one core.
inline void pinToOneCore() {
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(0, &one);
    sched_setaffinity(0, sizeof one, &one);
}

// The p-quantile (0 to 1) of the samples, nearest rank below.
inline double percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v[static_cast<std::size_t>(p * static_cast<double>(v.size() - 1))];
}

}  // namespace quaylight::bench
