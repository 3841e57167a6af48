#pragma once
// JSON coding of ListenerProject, apart from the record so that only the code that codes it parses the JSON library.

#include <nlohmann/json.hpp>

#include "QuaylightKit/project/ListenerProject.h"
#include "ProcessCoreKit/support/JsonCoding.h"

namespace quaylight {

template <class BasicJson>
void to_json(BasicJson& j, const ListenerProject& p) {
    j = BasicJson::object();
    j["name"] = p.name;
    json_coding::putIfPresent(j, "path", p.path);
}

template <class BasicJson>
void from_json(const BasicJson& j, ListenerProject& p) {
    j.at("name").get_to(p.name);
    p.path = json_coding::getIfPresent<std::string>(j, "path");
}

}  // namespace quaylight
