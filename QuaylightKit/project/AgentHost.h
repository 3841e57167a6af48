#pragma once

#include <nlohmann/json.hpp>

#include "ProcessCoreKit/records/HostAppKind.h"

namespace quaylight {

// The terminal or editor app a listener runs under.
struct AgentHost {
    HostAppKind kind = HostAppKind::terminal;
    friend bool operator==(const AgentHost&, const AgentHost&) = default;
};

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
