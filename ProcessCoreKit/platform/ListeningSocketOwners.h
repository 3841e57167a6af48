#pragma once
// Which process holds which listening socket, remembered from one scan to the next.
//
// Walking every process's descriptors is most of what a scan costs. While the kernel's set
// of listening sockets stays the same, a process seen at the last scan still holds what it
// held then: a new socket changes the set, and a process that inherits one (a forked
// worker) has a PID not seen before, which is walked. Two changes stay unseen until the
// next full walk: a socket handed over a Unix socket to a process that was already
// running, and a holder closing its copy of a socket that another process keeps. So every
// process is walked again at least every `fullWalkEvery` scans.

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "ProcessCoreKit/records/RawListeningSocket.h"

namespace quaylight {

class ListeningSocketTable;

class ListeningSocketOwners {
public:
    // The listening sockets of one process as inodes of the scan's table, in descriptor order.
    using Walk = std::function<std::vector<std::uint64_t>(std::int32_t pid)>;
    using Reader = std::function<std::vector<RawListeningSocket>(std::int32_t pid)>;

    explicit ListeningSocketOwners(int fullWalkEvery);

    // The reader for one scan over `table`, walking with `walk` what it does not remember.
    // The reader may be called from several threads at once; a scan's last call comes
    // before the next scan begins.
    Reader beginScan(std::shared_ptr<const ListeningSocketTable> table, Walk walk);

private:
    struct Scan;

    std::mutex mutex_;
    int fullWalkEvery_;
    int scansSinceFullWalk_ = 0;
    std::vector<std::uint64_t> lastInodes_;
    std::shared_ptr<Scan> last_;
};

}  // namespace quaylight
