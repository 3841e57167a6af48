#pragma once

#include <optional>

#include "ProcessCoreKit/records/HostAppKind.h"
#include "ProcessCoreKit/records/ProcessSnapshot.h"

namespace quaylight {

// Recognises terminals, editors and the agents' desktop apps from one snapshot: by bundle
// identifier first, then by executable basename (which is how every Linux host is found).
struct HostAppRecognition {
    static std::optional<HostAppKind> recognize(const ProcessSnapshot& snapshot);
};

}  // namespace quaylight
