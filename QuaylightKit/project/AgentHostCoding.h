#pragma once
// JSON coding of AgentHost, apart from the record so that only the code that codes it parses the JSON library.

#include <nlohmann/json.hpp>

#include "QuaylightKit/project/AgentHost.h"

namespace quaylight {

template <class BasicJson>
void to_json(BasicJson& j, const AgentHost& h) {
    j = BasicJson::object();
    j["kind"] = h.kind;
}

template <class BasicJson>
void from_json(const BasicJson& j, AgentHost& h) {
    j.at("kind").get_to(h.kind);
}

}  // namespace quaylight
