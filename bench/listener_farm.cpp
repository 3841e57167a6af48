// Holds a known load of listeners for the scan benchmarks: P processes with L listening
// TCP sockets in all on 127.0.0.1 (default 20 and 200). Prints "ready" once every socket
// listens, then waits until its standard input closes; its processes go with it.
//
//   build/bench/bench-listener-farm [--processes 20] [--listeners 200]
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

[[noreturn]] void holdListeners(int count, int readyPipe) {
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

}  // namespace

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
    int ready[2];
    if (pipe(ready) != 0) return 1;
    std::vector<pid_t> children;
    for (int p = 0; p < processes; ++p) {
        int share = listeners / processes + (p < listeners % processes ? 1 : 0);
        pid_t pid = fork();
        if (pid == 0) holdListeners(share, ready[1]);
        if (pid < 0) return 1;
        children.push_back(pid);
    }
    for (int p = 0; p < processes; ++p) {
        char ok = 0;
        if (read(ready[0], &ok, 1) != 1 || ok != 1) {
            for (pid_t child : children) kill(child, SIGKILL);
            std::fprintf(stderr, "listener-farm: a process could not open its listeners\n");
            return 1;
        }
    }
    std::printf("ready\n");
    std::fflush(stdout);
    char buffer[64];
    while (read(STDIN_FILENO, buffer, sizeof buffer) > 0) {
    }
    for (pid_t child : children) kill(child, SIGKILL);
    for (pid_t child : children) waitpid(child, nullptr, 0);
    return 0;
}
