#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "ProcessCoreKit/records/RawListeningSocket.h"

namespace quaylight {

// One local address on which a process listens.
struct BoundEndpoint {
    std::string address;  // as text: 127.0.0.1, ::1, 0.0.0.0, ::, or an interface address
    AddressFamily family = AddressFamily::ipv4;
    std::int64_t port = 0;

    friend auto operator<=>(const BoundEndpoint&, const BoundEndpoint&) = default;

    // The address as IPv4 text when it is an IPv4-mapped IPv6 address ("::ffff:127.0.0.1",
    // as a Java server binds), else the address itself. A mapped address is its IPv4
    // address for scope, URL and signature.
    std::string_view effectiveAddress() const {
        std::string_view text = address;
        constexpr std::string_view mapped = "::ffff:";
        if (text.size() > mapped.size() && text.find('.') != std::string_view::npos) {
            bool prefix = true;
            for (std::size_t i = 0; i < mapped.size(); ++i)
                if ((text[i] | 0x20) != mapped[i]) prefix = false;
            if (prefix) return text.substr(mapped.size());
        }
        return text;
    }
    bool isIPv4Mapped() const { return effectiveAddress().size() != address.size(); }

    // Exact text tests: any dotted 127.x address and "::1" are loopback, also when mapped;
    // an expanded spelling is not.
    bool isLoopback() const {
        auto text = effectiveAddress();
        return text == "::1" || text.starts_with("127.");
    }
    bool isAllInterfaces() const {
        auto text = effectiveAddress();
        return text == "0.0.0.0" || text == "::";
    }
};

}  // namespace quaylight
