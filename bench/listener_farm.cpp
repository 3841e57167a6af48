// Holds a known load of listeners for the scan benchmarks: P processes with L listening
// TCP sockets in all on 127.0.0.1 (default 20 and 200). Prints "ready" once every socket
// listens, then waits until its standard input closes; its processes go with it.
//
//   build/bench/bench-listener-farm [--processes 20] [--listeners 200]
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench/BenchSupport.h"

int main(int argc, char** argv) {
    int processes = 20, listeners = 200;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--processes") == 0) processes = std::atoi(argv[i + 1]);
        if (std::strcmp(argv[i], "--listeners") == 0) listeners = std::atoi(argv[i + 1]);
    }
    if (processes < 1 || listeners < 0) {
        std::fprintf(stderr, "usage: %s [--processes P] [--listeners L]\n", argv[0]);
        return 2;
    }
    auto children = quaylight::bench::startListenerFarm(processes, listeners);
    if (!children) {
        std::fprintf(stderr, "listener-farm: a process could not open its listeners\n");
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    char buffer[64];
    while (read(STDIN_FILENO, buffer, sizeof buffer) > 0) {
    }
    quaylight::bench::stopListenerFarm(*children);
    return 0;
}
