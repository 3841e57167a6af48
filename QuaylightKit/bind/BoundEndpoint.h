#pragma once

#include <cstdint>
#include <string>

#include "ProcessCoreKit/records/RawListeningSocket.h"

namespace quaylight {

// One local address on which a process listens.
struct BoundEndpoint {
    std::string address;  // as text: 127.0.0.1, ::1, 0.0.0.0, ::, or an interface address
    AddressFamily family = AddressFamily::ipv4;
    std::int64_t port = 0;

    friend auto operator<=>(const BoundEndpoint&, const BoundEndpoint&) = default;

    // Exact text tests: any dotted 127.x address and "::1" are loopback; an expanded or
    // IPv4-mapped spelling is not.
    bool isLoopback() const { return address == "::1" || address.starts_with("127."); }
    bool isAllInterfaces() const { return address == "0.0.0.0" || address == "::"; }
};

}  // namespace quaylight
