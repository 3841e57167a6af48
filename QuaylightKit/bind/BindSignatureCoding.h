#pragma once
// JSON coding of BindSignature, apart from the record so that only the code that codes it parses the JSON library.

#include <nlohmann/json.hpp>

#include "QuaylightKit/bind/BindSignature.h"
#include "QuaylightKit/bind/BoundEndpointCoding.h"

namespace quaylight {

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
