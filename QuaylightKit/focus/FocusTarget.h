#pragma once

#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

namespace quaylight {

// The host app to bring to the front for a listener.
struct FocusTarget {
    std::int32_t pid = 0;
    std::string displayName;

    friend bool operator==(const FocusTarget&, const FocusTarget&) = default;
};

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
