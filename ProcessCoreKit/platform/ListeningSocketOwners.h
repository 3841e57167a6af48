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
#include <optional>
#include <vector>

#include "ProcessCoreKit/records/RawListeningSocket.h"
#include "ProcessCoreKit/support/CarriedOverMap.h"

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
    // before the next scan begins, and the owners outlive the reader.
    Reader beginScan(std::shared_ptr<const ListeningSocketTable> table, Walk walk);

private:
    int fullWalkEvery_;
    int scansSinceFullWalk_ = 0;
    std::optional<std::vector<std::uint64_t>> lastInodes_;
    // Every process a scan asked about, with the inodes it holds (none, for most), so that
    // the next scan walks neither kind again.
    CarriedOverMap<std::int32_t, std::vector<std::uint64_t>> held_;
};

}  // namespace quaylight
