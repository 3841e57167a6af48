// Times one full pass of process inspection: every PID, its listening sockets, and an
// enriched snapshot (with argv) of each owner. Starts its own listeners first so the
// machine has a known load: --processes P --listeners L (default 20 and 200). Then the
// same passes as the open panel's scans make them, remembering socket owners and the owners'
// arguments from pass to pass (everything read again every tenth pass).
//
//   build/bench/bench-process-pass [--processes 20] [--listeners 200] [--passes 300]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "ProcessCoreKit/platform/Libproc.h"
#include "ProcessCoreKit/platform/ListeningSocketOwners.h"
#include "ProcessCoreKit/platform/ListeningSocketTable.h"
#include "ProcessCoreKit/reader/ProcessReader.h"
#include "ProcessCoreKit/reader/RememberedArguments.h"
#include "bench/BenchSupport.h"

using namespace quaylight;
using bench::cpuMillis;
using bench::wallMillis;

namespace {

struct PassResult {
    std::size_t pids = 0, sockets = 0, owners = 0;
};

PassResult onePass(const ProcessReader& reader, std::uint32_t uid, ListeningSocketOwners* owners,
                   RememberedArguments* arguments) {
    PassResult result;
    const Libproc& proc = Libproc::live();
    auto pids = proc.allPIDs();
    result.pids = pids.size();
    auto table = std::make_shared<const ListeningSocketTable>(ListeningSocketTable::fetch(proc));
    ListeningSocketOwners::Reader socketsOf = [&](std::int32_t pid) { return proc.listeningSockets(pid, *table); };
    if (arguments) arguments->beginScan();
    if (owners)
        socketsOf = owners->beginScan(table, [&](std::int32_t pid) { return proc.listeningSocketInodes(pid, *table); });
    for (auto pid : pids) {
        auto sockets = socketsOf(pid);
        if (sockets.empty()) continue;
        result.sockets += sockets.size();
        if (reader.enrichedSnapshot(pid, uid, true, arguments)) ++result.owners;
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

    auto children = bench::startListenerFarm(processes, listeners);
    if (!children) return 1;

    ProcessReader reader;
    auto uid = ProcessReader::currentUID();
    auto timePasses = [&](const char* label, ListeningSocketOwners* owners, RememberedArguments* arguments) {
        PassResult last = onePass(reader, uid, owners, arguments);  // warm caches
        std::vector<double> wall, cpu;
        for (int i = 0; i < passes; ++i) {
            double w0 = wallMillis(), c0 = cpuMillis();
            last = onePass(reader, uid, owners, arguments);
            cpu.push_back(cpuMillis() - c0);
            wall.push_back(wallMillis() - w0);
        }
        std::sort(wall.begin(), wall.end());
        std::sort(cpu.begin(), cpu.end());
        auto at = [&](const std::vector<double>& v, double q) { return v[static_cast<std::size_t>(q * (v.size() - 1))]; };
        std::printf("%s: %zu processes, %zu listening sockets, %zu owner snapshots\n", label, last.pids, last.sockets,
                    last.owners);
        std::printf("  wall ms: median %.3f  p90 %.3f  min %.3f\n", at(wall, 0.5), at(wall, 0.9), at(wall, 0.0));
        std::printf("  cpu  ms: median %.3f  p90 %.3f  mean %.3f\n", at(cpu, 0.5), at(cpu, 0.9),
                    std::accumulate(cpu.begin(), cpu.end(), 0.0) / double(cpu.size()));
    };
    timePasses("full pass", nullptr, nullptr);
    ListeningSocketOwners owners(10);
    RememberedArguments arguments(10);
    timePasses("remembering owners and arguments", &owners, &arguments);

    bench::stopListenerFarm(*children);
    return 0;
}
