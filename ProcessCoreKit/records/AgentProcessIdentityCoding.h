#pragma once
// JSON coding of AgentProcessIdentity, apart from the record so that only the code that codes it parses the JSON library.

#include <nlohmann/json.hpp>

#include "ProcessCoreKit/records/AgentProcessIdentity.h"
#include "ProcessCoreKit/records/ProcessIdentityCoding.h"

namespace quaylight {

template <class BasicJson>
void to_json(BasicJson& j, const AgentProcessIdentity& a) {
    j = BasicJson::object();
    j["process"] = a.process;
    j["kind"] = a.kind;
}

template <class BasicJson>
void from_json(const BasicJson& j, AgentProcessIdentity& a) {
    j.at("process").get_to(a.process);
    j.at("kind").get_to(a.kind);
}

}  // namespace quaylight
