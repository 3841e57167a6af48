#pragma once

#include "ProcessCoreKit/records/HostAppKind.h"

namespace quaylight {

// The terminal or editor app a listener runs under.
struct AgentHost {
    HostAppKind kind = HostAppKind::terminal;
    friend bool operator==(const AgentHost&, const AgentHost&) = default;
};

}  // namespace quaylight
