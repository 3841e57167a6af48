// Test fixture process. Arguments, in any order:
//   --listen ADDR        a TCP socket listening on ADDR (IPv4 or IPv6 text), port 0
//   --listen-dual        a TCP socket listening on :: with IPV6_V6ONLY off
//   --udp ADDR           a bound UDP socket
//   --connect            a connected TCP socket (to a listener of its own)
//   --workers N          after opening the sockets, fork N workers that share them
//   --spin               burn CPU until told to stop
//   --chdir DIR          change to DIR before anything else
//   --name NAME          set the command name (prctl)
//   --exec PATH          after forking the workers, become PATH (no arguments); the workers
//                        stay the fixture, so the pool's supervisor is another program
// It prints "ports P1 P2 ...\n" (listening ports in argument order) and, with workers,
// "workers W1 W2 ...\n", then waits until its standard input closes. Any other argument
// is ignored, so tests can give it an argv of their choosing.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

volatile unsigned long burn;  // keeps the CPU-burning loops from being optimised away

[[noreturn]] void fail(const char* what) {
    std::perror(what);
    std::exit(2);
}

int bindSocket(const std::string& address, int type, bool dual) {
    sockaddr_storage storage{};
    socklen_t length = 0;
    int family = AF_INET;
    if (inet_pton(AF_INET, address.c_str(), &reinterpret_cast<sockaddr_in*>(&storage)->sin_addr) == 1) {
        storage.ss_family = AF_INET;
        length = sizeof(sockaddr_in);
    } else if (inet_pton(AF_INET6, address.c_str(), &reinterpret_cast<sockaddr_in6*>(&storage)->sin6_addr) == 1) {
        storage.ss_family = AF_INET6;
        family = AF_INET6;
        length = sizeof(sockaddr_in6);
    } else {
        fail("address");
    }
    int fd = socket(family, type, 0);
    if (fd < 0) fail("socket");
    if (family == AF_INET6) {
        int v6only = dual ? 0 : 1;
        setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &v6only, sizeof v6only);
    }
    if (bind(fd, reinterpret_cast<sockaddr*>(&storage), length) != 0) fail("bind");
    return fd;
}

int portOf(int fd) {
    sockaddr_storage storage{};
    socklen_t length = sizeof storage;
    getsockname(fd, reinterpret_cast<sockaddr*>(&storage), &length);
    if (storage.ss_family == AF_INET6) return ntohs(reinterpret_cast<sockaddr_in6*>(&storage)->sin6_port);
    return ntohs(reinterpret_cast<sockaddr_in*>(&storage)->sin_port);
}

void waitForStdinClose() {
    char buffer[64];
    while (read(STDIN_FILENO, buffer, sizeof buffer) > 0) {
    }
}

}  // namespace

int main(int argc, char** argv) {
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    std::vector<int> ports;
    int workers = 0;
    bool spin = false;
    std::string execPath;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto next = [&]() -> std::string {
            if (i + 1 >= argc) fail("missing value");
            return argv[++i];
        };
        if (arg == "--chdir") {
            if (chdir(next().c_str()) != 0) fail("chdir");
        } else if (arg == "--name") {
            prctl(PR_SET_NAME, next().c_str());
        } else if (arg == "--listen" || arg == "--listen-dual") {
            int fd = bindSocket(arg == "--listen" ? next() : "::", SOCK_STREAM, arg == "--listen-dual");
            if (listen(fd, 16) != 0) fail("listen");
            ports.push_back(portOf(fd));
        } else if (arg == "--udp") {
            bindSocket(next(), SOCK_DGRAM, false);
        } else if (arg == "--connect") {
            int server = bindSocket("127.0.0.1", SOCK_STREAM, false);
            listen(server, 1);
            sockaddr_in to{};
            to.sin_family = AF_INET;
            to.sin_port = htons(static_cast<uint16_t>(portOf(server)));
            inet_pton(AF_INET, "127.0.0.1", &to.sin_addr);
            int client = socket(AF_INET, SOCK_STREAM, 0);
            if (connect(client, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) fail("connect");
            accept(server, nullptr, nullptr);
            close(server);  // only the connected pair remains
        } else if (arg == "--workers") {
            workers = std::atoi(next().c_str());
        } else if (arg == "--spin") {
            spin = true;
        } else if (arg == "--exec") {
            execPath = next();
        }
    }

    std::string line = "ports";
    for (int port : ports) line += " " + std::to_string(port);
    std::printf("%s\n", line.c_str());

    std::vector<pid_t> children;
    const pid_t supervisor = getpid();
    for (int w = 0; w < workers; ++w) {
        pid_t child = fork();
        if (child == 0) {
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            // A supervisor that died before the line above leaves no signal to come: the
            // worker would outlive the test (and hold its output open).
            if (getppid() != supervisor) _exit(0);
            if (spin)
                for (unsigned long n = 0;; ++n) burn = n;
            pause();
            _exit(0);
        }
        children.push_back(child);
    }
    if (workers > 0) {
        std::string list = "workers";
        for (pid_t child : children) list += " " + std::to_string(child);
        std::printf("%s\n", list.c_str());
    }
    std::fflush(stdout);
    if (!execPath.empty()) {
        execl(execPath.c_str(), execPath.c_str(), static_cast<char*>(nullptr));
        fail("exec");
    }

    if (spin && workers == 0) {
        for (;;) {
            for (unsigned long n = 0; n < 20'000'000UL; ++n) burn = n;
            pollfd input{STDIN_FILENO, POLLIN, 0};
            char c;
            if (poll(&input, 1, 0) > 0 && read(STDIN_FILENO, &c, 1) <= 0) break;
        }
    } else {
        waitForStdinClose();
    }
    for (pid_t child : children) kill(child, SIGTERM);
    for (pid_t child : children) waitpid(child, nullptr, 0);
    return 0;
}
