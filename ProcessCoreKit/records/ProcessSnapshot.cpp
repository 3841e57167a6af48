#include "ProcessCoreKit/records/ProcessSnapshot.h"

#include <fmt/format.h>

#include "ProcessCoreKit/support/Text.h"

namespace quaylight {

std::string ProcessSnapshot::displayName() const {
    if (executablePath) {
        if (auto base = pathBasename(*executablePath)) return *base;
    }
    if (name) return *name;
    return fmt::format("pid {}", identity.pid);
}

}  // namespace quaylight
