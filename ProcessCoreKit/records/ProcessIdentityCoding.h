#pragma once
// JSON coding of ProcessIdentity, apart from the record so that only the code that codes it parses the JSON library.

#include <nlohmann/json.hpp>

#include "ProcessCoreKit/records/ProcessIdentity.h"

namespace quaylight {

template <class BasicJson>
void to_json(BasicJson& j, const ProcessIdentity& id) {
    j = BasicJson::object();
    j["pid"] = id.pid;
    j["startTimeSeconds"] = id.startTimeSeconds;
    j["startTimeMicroseconds"] = id.startTimeMicroseconds;
}

template <class BasicJson>
void from_json(const BasicJson& j, ProcessIdentity& id) {
    j.at("pid").get_to(id.pid);
    j.at("startTimeSeconds").get_to(id.startTimeSeconds);
    j.at("startTimeMicroseconds").get_to(id.startTimeMicroseconds);
}

}  // namespace quaylight
