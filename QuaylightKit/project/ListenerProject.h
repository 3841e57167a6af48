#pragma once

#include <optional>
#include <string>

namespace quaylight {

// The project folder a process works in: its name and its standardized absolute path.
struct ListenerProject {
    std::string name;
    std::optional<std::string> path;

    friend bool operator==(const ListenerProject&, const ListenerProject&) = default;
};

}  // namespace quaylight
