// Times two commands against each other run by run: each pair starts A and B one after
// the other (the order swapped every pair, so neither always follows the other), and the
// figure that counts is the median of the pairs' ratios A / B. On a shared machine the
// load changes within seconds; a pair sees nearly the same load on both sides, where
// rounds of many runs of one command each do not.
//
//   build/bench/bench-pair-timer [--runs 200] [--warmup 10] [--stdin FILE] -- A... -- B...
//
// Both commands get FILE (or /dev/null) on standard input and write to /dev/null. Prints
// one line of figures per command and the ratio line; the minor page faults are the
// kernel's count for each run (wait4), taken as a median.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"

extern char** environ;

namespace {

struct Run {
    double millis = 0;
    long minorFaults = 0;
    bool succeeded = false;
};

Run runOnce(const std::vector<char*>& argv, const char* input) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, input, O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    Run run;
    const double begun = quaylight::bench::wallMillis();
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return run;
    }
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0) {
    }
    run.millis = quaylight::bench::wallMillis() - begun;
    run.minorFaults = usage.ru_minflt;
    run.succeeded = WIFEXITED(status);
    posix_spawn_file_actions_destroy(&actions);
    return run;
}

template <class T>
T median(std::vector<T> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

template <class T>
T quantile(std::vector<T> values, double q) {
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(q * static_cast<double>(values.size() - 1) + 0.5)];
}

int usage(const char* self) {
    std::fprintf(stderr, "usage: %s [--runs N] [--warmup W] [--stdin FILE] -- A... -- B...\n", self);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 200, warmup = 10;
    const char* input = "/dev/null";
    int i = 1;
    for (; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        if (i + 1 >= argc) return usage(argv[0]);
        if (std::strcmp(argv[i], "--runs") == 0)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--warmup") == 0)
            warmup = std::max(0, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--stdin") == 0)
            input = argv[++i];
        else
            return usage(argv[0]);
    }
    std::vector<char*> commands[2];
    for (int side = 0; side < 2; ++side) {
        if (i >= argc || std::strcmp(argv[i], "--") != 0) return usage(argv[0]);
        for (++i; i < argc && std::strcmp(argv[i], "--") != 0; ++i) commands[side].push_back(argv[i]);
        if (commands[side].empty()) return usage(argv[0]);
        commands[side].push_back(nullptr);
    }

    for (int w = 0; w < warmup; ++w)
        for (auto& command : commands) runOnce(command, input);

    std::vector<double> millis[2], ratios;
    std::vector<long> faults[2];
    for (int pair = 0; pair < runs; ++pair) {
        Run r[2];
        const int first = pair % 2;
        r[first] = runOnce(commands[first], input);
        r[1 - first] = runOnce(commands[1 - first], input);
        if (!r[0].succeeded || !r[1].succeeded) {
            std::fprintf(stderr, "%s: a command did not run to its end\n", argv[0]);
            return 1;
        }
        for (int side = 0; side < 2; ++side) {
            millis[side].push_back(r[side].millis);
            faults[side].push_back(r[side].minorFaults);
        }
        ratios.push_back(r[0].millis / r[1].millis);
    }

    for (int side = 0; side < 2; ++side) {
        std::string name;
        for (char* word : commands[side])
            if (word) name += (name.empty() ? "" : " ") + std::string(word);
        std::printf("%-7s median %.3f ms  p10 %.3f  p90 %.3f  faults %ld  | %s\n", side == 0 ? "A" : "B",
                    median(millis[side]), quantile(millis[side], 0.1), quantile(millis[side], 0.9), median(faults[side]),
                    name.c_str());
    }
    std::printf("A/B     median of %d pair ratios %.3f  (p25 %.3f  p75 %.3f)\n", runs, median(ratios),
                quantile(ratios, 0.25), quantile(ratios, 0.75));
    return 0;
}
