#pragma once
// The normalised set of addresses a process listens on for one port: order and repeats do
// not matter, and both loopbacks (or both wildcards) count as one. Part of a listener's
// identity and of worker-pool grouping.

#include <compare>
#include <stdexcept>
#include <string>
#include <vector>

#include "QuaylightKit/bind/BoundEndpoint.h"

namespace quaylight {

struct BindSignature {
    struct Token {
        enum class Kind { loopback, allInterfaces, specific };
        Kind kind = Kind::loopback;
        std::string address;  // only for `specific`

        static Token loopback() { return {Kind::loopback, {}}; }
        static Token allInterfaces() { return {Kind::allInterfaces, {}}; }
        static Token specific(std::string address) { return {Kind::specific, std::move(address)}; }

        // "0", "1", or "2:" and the address: the sort order, and the token's spelling in ids.
        std::string sortKey() const;
        friend auto operator<=>(const Token&, const Token&) = default;
    };

    std::vector<Token> tokens;

    static BindSignature make(const std::vector<BoundEndpoint>& endpoints);
    friend auto operator<=>(const BindSignature&, const BindSignature&) = default;
};

// A token object holding other than exactly one recognised key.
struct BindSignatureDecodingError : std::invalid_argument {
    BindSignatureDecodingError() : std::invalid_argument("Invalid number of keys found, expected one.") {}
};

}  // namespace quaylight
