// The floor under `quaylight scan`: only the reads that any answer to "which process
// listens on which port" needs on Linux, and nothing else. One netlink dump of the
// listening sockets, one readlink per descriptor of every process (through the same reader
// the scan uses), and the command name of each owner; one line per listener. Linked
// statically, like `quaylight`. bench/speed_pairs.sh times it against `ss -ltnp` beside
// the scan, so that each figure has its floor next to it.
//
//   build/bench/bench-scan-floor
#include <unistd.h>

#include <string>

#include "ProcessCoreKit/platform/Libproc.h"
#include "ProcessCoreKit/platform/ListeningSocketTable.h"

int main() {
    using namespace quaylight;
    const Libproc& proc = Libproc::live();
    const auto table = ListeningSocketTable::fetch(proc);
    std::string out;
    for (auto pid : proc.allPIDs()) {
        const auto sockets = proc.listeningSockets(pid, table);
        if (sockets.empty()) continue;
        const std::string name = proc.commandName(pid).value_or("?");
        for (const auto& socket : sockets)
            out += std::to_string(socket.port) + ' ' + std::to_string(pid) + ' ' + name + '\n';
    }
    return write(STDOUT_FILENO, out.data(), out.size()) == static_cast<ssize_t>(out.size()) ? 0 : 1;
}
