#pragma once

#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

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

template <class BasicJson>
void to_json(BasicJson& j, const BoundEndpoint& e) {
    j = BasicJson::object();
    j["address"] = e.address;
    j["family"] = e.family;
    j["port"] = e.port;
}

template <class BasicJson>
void from_json(const BasicJson& j, BoundEndpoint& e) {
    j.at("address").get_to(e.address);
    j.at("family").get_to(e.family);
    j.at("port").get_to(e.port);
}

}  // namespace quaylight
