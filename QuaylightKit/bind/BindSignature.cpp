#include "QuaylightKit/bind/BindSignature.h"
#include "QuaylightKit/bind/BindSignatureCoding.h"

#include <algorithm>

namespace quaylight {
namespace {

template <class BasicJson>
void encodeToken(BasicJson& j, const BindSignature::Token& token) {
    j = BasicJson::object();
    switch (token.kind) {
        case BindSignature::Token::Kind::loopback: j["loopback"] = BasicJson::object(); break;
        case BindSignature::Token::Kind::allInterfaces: j["allInterfaces"] = BasicJson::object(); break;
        case BindSignature::Token::Kind::specific: j["specific"] = BasicJson{{"_0", token.address}}; break;
    }
}

template <class BasicJson>
void decodeToken(const BasicJson& j, BindSignature::Token& token) {
    if (!j.is_object()) throw BindSignatureDecodingError();
    // Keys other than the three case names are ignored.
    int recognised = static_cast<int>(j.contains("loopback")) + static_cast<int>(j.contains("allInterfaces")) +
                     static_cast<int>(j.contains("specific"));
    if (recognised != 1) throw BindSignatureDecodingError();
    auto requireObject = [](const BasicJson& value) {
        if (!value.is_object()) throw std::invalid_argument("a token's value must be an object");
    };
    if (j.contains("loopback")) {
        requireObject(j.at("loopback"));
        token = BindSignature::Token::loopback();
    } else if (j.contains("allInterfaces")) {
        requireObject(j.at("allInterfaces"));
        token = BindSignature::Token::allInterfaces();
    } else {
        const auto& payload = j.at("specific");
        requireObject(payload);
        token = BindSignature::Token::specific(payload.at("_0").template get<std::string>());
    }
}

}  // namespace

std::string BindSignature::Token::sortKey() const {
    switch (kind) {
        case Kind::loopback: return "0";
        case Kind::allInterfaces: return "1";
        case Kind::specific: return "2:" + address;
    }
    return {};
}

BindSignature BindSignature::make(const std::vector<BoundEndpoint>& endpoints) {
    std::vector<std::pair<std::string, Token>> keyed;
    keyed.reserve(endpoints.size());
    for (const auto& endpoint : endpoints) {
        Token token = endpoint.isLoopback()         ? Token::loopback()
                      : endpoint.isAllInterfaces() ? Token::allInterfaces()
                                                   : Token::specific(std::string(endpoint.effectiveAddress()));
        keyed.emplace_back(token.sortKey(), std::move(token));
    }
    std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    keyed.erase(std::unique(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first == b.first; }),
                keyed.end());
    BindSignature signature;
    signature.tokens.reserve(keyed.size());
    for (auto& [key, token] : keyed) signature.tokens.push_back(std::move(token));
    return signature;
}

void to_json(nlohmann::json& j, const BindSignature::Token& token) { encodeToken(j, token); }
void to_json(nlohmann::ordered_json& j, const BindSignature::Token& token) { encodeToken(j, token); }
void from_json(const nlohmann::json& j, BindSignature::Token& token) { decodeToken(j, token); }
void from_json(const nlohmann::ordered_json& j, BindSignature::Token& token) { decodeToken(j, token); }

}  // namespace quaylight
