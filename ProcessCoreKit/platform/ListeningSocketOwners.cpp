#include "ProcessCoreKit/platform/ListeningSocketOwners.h"

#include <optional>
#include <unordered_map>
#include <utility>

#include "ProcessCoreKit/platform/ListeningSocketTable.h"

namespace quaylight {

// What one scan learnt: every process it asked about, with the inodes it holds (none, for
// most), so that the next scan walks neither kind again.
struct ListeningSocketOwners::Scan {
    std::mutex mutex;
    std::unordered_map<std::int32_t, std::vector<std::uint64_t>> held;

    std::optional<std::vector<std::uint64_t>> find(std::int32_t pid) {
        const std::lock_guard lock(mutex);
        const auto it = held.find(pid);
        if (it == held.end()) return std::nullopt;
        return it->second;
    }
    void remember(std::int32_t pid, std::vector<std::uint64_t> inodes) {
        const std::lock_guard lock(mutex);
        held.insert_or_assign(pid, std::move(inodes));
    }
};

ListeningSocketOwners::ListeningSocketOwners(int fullWalkEvery) : fullWalkEvery_(fullWalkEvery) {}

ListeningSocketOwners::Reader ListeningSocketOwners::beginScan(std::shared_ptr<const ListeningSocketTable> table,
                                                               Walk walk) {
    auto inodes = table->inodes();
    std::shared_ptr<Scan> previous;
    auto current = std::make_shared<Scan>();
    {
        const std::lock_guard lock(mutex_);
        const bool reusable = last_ && inodes == lastInodes_ && scansSinceFullWalk_ + 1 < fullWalkEvery_;
        if (reusable) {
            previous = last_;
            ++scansSinceFullWalk_;
        } else {
            scansSinceFullWalk_ = 0;
        }
        lastInodes_ = std::move(inodes);
        last_ = current;
    }
    return [table = std::move(table), walk = std::move(walk), previous = std::move(previous),
            current = std::move(current)](std::int32_t pid) {
        std::optional<std::vector<std::uint64_t>> held;
        if (previous) held = previous->find(pid);
        if (!held) held = walk(pid);
        std::vector<RawListeningSocket> sockets;
        sockets.reserve(held->size());
        for (const auto inode : *held)
            if (const RawListeningSocket* socket = table->find(inode)) sockets.push_back(*socket);
        current->remember(pid, std::move(*held));
        return sockets;
    };
}

}  // namespace quaylight
