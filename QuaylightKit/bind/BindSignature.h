#pragma once
// The normalised set of addresses a process listens on for one port: order and repeats do
// not matter, and both loopbacks (or both wildcards) count as one. Part of a listener's
// identity and of worker-pool grouping.

#include <compare>
#include <stdexcept>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

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

// A token is an object with one key naming its case; a specific address sits under "_0".
void to_json(nlohmann::json& j, const BindSignature::Token& token);
void to_json(nlohmann::ordered_json& j, const BindSignature::Token& token);
void from_json(const nlohmann::json& j, BindSignature::Token& token);
void from_json(const nlohmann::ordered_json& j, BindSignature::Token& token);

template <class BasicJson>
void to_json(BasicJson& j, const BindSignature& s) {
    j = BasicJson::object();
    j["tokens"] = s.tokens;
}

template <class BasicJson>
void from_json(const BasicJson& j, BindSignature& s) {
    j.at("tokens").get_to(s.tokens);
}

}  // namespace quaylight
