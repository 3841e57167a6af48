#include "ProcessCoreKit/reader/RememberedArguments.h"

namespace quaylight {

RememberedArguments::RememberedArguments(int readEvery) : readEvery_(readEvery) {}

void RememberedArguments::beginScan() {
    const bool carry = ++scansSinceRead_ < readEvery_;
    if (!carry) scansSinceRead_ = 0;
    arguments_.beginScan(carry);
}

std::optional<RememberedArguments::Arguments> RememberedArguments::arguments(
    const ProcessIdentity& identity, const std::function<std::optional<Arguments>()>& read) {
    if (auto remembered = arguments_.find(identity)) return remembered;
    auto fresh = read();
    if (fresh) arguments_.remember(identity, *fresh);
    return fresh;
}

}  // namespace quaylight
