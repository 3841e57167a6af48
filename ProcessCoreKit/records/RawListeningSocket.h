#pragma once

#include <cstdint>
#include <string>

#include "ProcessCoreKit/support/RawEnum.h"

namespace quaylight {

enum class AddressFamily { ipv4, ipv6 };

template <>
struct RawValues<AddressFamily> {
    static constexpr std::array<std::pair<AddressFamily, std::string_view>, 2> table{{
        {AddressFamily::ipv4, "IPv4"},
        {AddressFamily::ipv6, "IPv6"},
    }};
};

// One listening TCP socket as the kernel reports it. A dual-stack socket on "::" is one
// IPv6 entry.
struct RawListeningSocket {
    int port = 0;  // host byte order
    AddressFamily family = AddressFamily::ipv4;
    std::string address;  // textual form, e.g. "127.0.0.1", "::", "::ffff:10.0.0.1"
};

}  // namespace quaylight
