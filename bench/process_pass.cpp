// Times one full pass of process inspection: every PID, its listening sockets, and an
// enriched snapshot (with argv) of each owner. Starts its own listeners first so the
// machine has a known load: --processes P --listeners L (default 20 and 200).
//
//   build/bench/bench-process-pass [--processes 20] [--listeners 200] [--passes 300]
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ProcessCoreKit/platform/Libproc.h"
#include "ProcessCoreKit/platform/ListeningSocketTable.h"
#include "ProcessCoreKit/reader/ProcessReader.h"

using namespace quaylight;

namespace {

double cpuMillis() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

double wallMillis() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

pid_t startListenerProcess(int listeners, int readyPipe) {
    pid_t pid = fork();
    if (pid != 0) return pid;
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    for (int i = 0; i < listeners; ++i) {
        int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 4) != 0) _exit(1);
    }
    char ok = 1;
    if (write(readyPipe, &ok, 1) != 1) _exit(1);
    pause();
    _exit(0);
}

struct PassResult {
    std::size_t pids = 0, sockets = 0, owners = 0;
};

PassResult onePass(const ProcessReader& reader, std::uint32_t uid) {
    PassResult result;
    auto pids = Libproc::live().allPIDs();
    result.pids = pids.size();
    auto table = ListeningSocketTable::fetch(Libproc::live());
    for (auto pid : pids) {
        auto sockets = Libproc::live().listeningSockets(pid, table);
        if (sockets.empty()) continue;
        result.sockets += sockets.size();
        if (reader.enrichedSnapshot(pid, uid, true)) ++result.owners;
    }
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    int processes = 20, listeners = 200, passes = 300;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string flag = argv[i];
        int value = std::atoi(argv[i + 1]);
        if (flag == "--processes") processes = value;
        else if (flag == "--listeners") listeners = value;
        else if (flag == "--passes") passes = value;
    }

    int ready[2];
    if (pipe(ready) != 0) return 1;
    std::vector<pid_t> children;
    for (int p = 0; p < processes; ++p)
        children.push_back(startListenerProcess(listeners / std::max(processes, 1), ready[1]));
    for (int p = 0; p < processes; ++p) {
        char ok;
        if (read(ready[0], &ok, 1) != 1) return 1;
    }

    ProcessReader reader;
    auto uid = ProcessReader::currentUID();
    PassResult last = onePass(reader, uid);  // warm caches
    std::vector<double> wall, cpu;
    for (int i = 0; i < passes; ++i) {
        double w0 = wallMillis(), c0 = cpuMillis();
        last = onePass(reader, uid);
        cpu.push_back(cpuMillis() - c0);
        wall.push_back(wallMillis() - w0);
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    auto at = [&](const std::vector<double>& v, double q) { return v[static_cast<std::size_t>(q * (v.size() - 1))]; };
    std::printf("full pass: %zu processes, %zu listening sockets, %zu owner snapshots\n", last.pids, last.sockets,
                last.owners);
    std::printf("wall ms: median %.3f  p90 %.3f  min %.3f\n", at(wall, 0.5), at(wall, 0.9), at(wall, 0.0));
    std::printf("cpu  ms: median %.3f  p90 %.3f\n", at(cpu, 0.5), at(cpu, 0.9));

    for (pid_t child : children) kill(child, SIGKILL);
    for (pid_t child : children) waitpid(child, nullptr, 0);
    return 0;
}
