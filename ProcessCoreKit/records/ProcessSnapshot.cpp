#include "ProcessCoreKit/records/ProcessSnapshot.h"

#include <fmt/format.h>

#include "ProcessCoreKit/support/Text.h"

namespace quaylight {

std::string ProcessSnapshot::displayName() const {
    if (auto shown = basenameOrName(executablePath, name)) return std::move(*shown);
    return fmt::format("pid {}", identity.pid);
}

}  // namespace quaylight
