#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "ProcessCoreKit/records/ProcessIdentity.h"
#include "ProcessCoreKit/support/RawEnum.h"
#include "QuaylightKit/bind/BindSignature.h"

namespace quaylight {

enum class PortProtocol { tcp };
enum class PortState { listen };

template <>
struct RawValues<PortProtocol> {
    static constexpr std::array<std::pair<PortProtocol, std::string_view>, 1> table{{{PortProtocol::tcp, "TCP"}}};
};

template <>
struct RawValues<PortState> {
    static constexpr std::array<std::pair<PortState, std::string_view>, 1> table{{{PortState::listen, "LISTEN"}}};
};

// A listener across scans: a single process's port, or a worker pool's port keyed on the
// pool's parent.
struct ListenerIdentity {
    ProcessIdentity process;
    PortProtocol proto = PortProtocol::tcp;
    std::int64_t port = 0;
    BindSignature bindSignature;
    bool isPool = false;
    std::optional<std::string> executablePath;  // a pool's shared executable

    friend bool operator==(const ListenerIdentity&, const ListenerIdentity&) = default;

    // "proc" or "pool", PID, start time, protocol, port, bind tokens[, executable path],
    // joined by ":". A key, not a string to parse back: IPv6 tokens keep their colons.
    std::string stableID() const;
};

}  // namespace quaylight
