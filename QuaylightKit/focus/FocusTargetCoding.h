#pragma once
// JSON coding of FocusTarget, apart from the record so that only the code that codes it parses the JSON library.

#include <nlohmann/json.hpp>

#include "QuaylightKit/focus/FocusTarget.h"

namespace quaylight {

template <class BasicJson>
void to_json(BasicJson& j, const FocusTarget& t) {
    j = BasicJson::object();
    j["pid"] = t.pid;
    j["displayName"] = t.displayName;
}

template <class BasicJson>
void from_json(const BasicJson& j, FocusTarget& t) {
    j.at("pid").get_to(t.pid);
    j.at("displayName").get_to(t.displayName);
}

}  // namespace quaylight
