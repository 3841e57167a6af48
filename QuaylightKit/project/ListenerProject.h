#pragma once

#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "ProcessCoreKit/support/JsonCoding.h"

namespace quaylight {

// The project folder a process works in: its name and its standardized absolute path.
struct ListenerProject {
    std::string name;
    std::optional<std::string> path;

    friend bool operator==(const ListenerProject&, const ListenerProject&) = default;
};

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
