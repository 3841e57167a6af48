#include "ProcessCoreKit/platform/ListeningSocketOwners.h"

#include <utility>

#include "ProcessCoreKit/platform/ListeningSocketTable.h"

namespace quaylight {

ListeningSocketOwners::ListeningSocketOwners(int fullWalkEvery) : fullWalkEvery_(fullWalkEvery) {}

ListeningSocketOwners::Reader ListeningSocketOwners::beginScan(std::shared_ptr<const ListeningSocketTable> table,
                                                               Walk walk) {
    auto inodes = table->inodes();
    const bool carry = lastInodes_ && inodes == *lastInodes_ && scansSinceFullWalk_ + 1 < fullWalkEvery_;
    scansSinceFullWalk_ = carry ? scansSinceFullWalk_ + 1 : 0;
    lastInodes_ = std::move(inodes);
    held_.beginScan(carry);
    return [this, table = std::move(table), walk = std::move(walk)](std::int32_t pid) {
        auto held = held_.find(pid);
        if (!held) {
            held = walk(pid);
            held_.remember(pid, *held);
        }
        std::vector<RawListeningSocket> sockets;
        sockets.reserve(held->size());
        for (const auto inode : *held)
            if (const RawListeningSocket* socket = table->find(inode)) sockets.push_back(*socket);
        return sockets;
    };
}

}  // namespace quaylight
