#include "ProcessCoreKit/reader/RememberedArguments.h"

#include <utility>

namespace quaylight {

RememberedArguments::RememberedArguments(int readEvery) : readEvery_(readEvery) {}

void RememberedArguments::beginScan() {
    const std::lock_guard lock(mutex_);
    if (++scansSinceRead_ >= readEvery_) {
        scansSinceRead_ = 0;
        previous_.clear();
        current_.clear();
        return;
    }
    previous_ = std::move(current_);
    current_.clear();
}

std::optional<RememberedArguments::Arguments> RememberedArguments::arguments(
    const ProcessIdentity& identity, const std::function<std::optional<Arguments>()>& read) {
    {
        const std::lock_guard lock(mutex_);
        if (const auto found = current_.find(identity); found != current_.end()) return found->second;
        if (auto found = previous_.find(identity); found != previous_.end()) {
            auto kept = current_.insert_or_assign(identity, std::move(found->second)).first;
            previous_.erase(found);
            return kept->second;
        }
    }
    auto fresh = read();
    if (fresh) {
        const std::lock_guard lock(mutex_);
        current_.insert_or_assign(identity, *fresh);
    }
    return fresh;
}

}  // namespace quaylight
