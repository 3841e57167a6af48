#pragma once
// Parses a settings file keeping its key order, and tells whether writing it back would
// reproduce every value exactly.

#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace quaylight {

struct ExactSettingsJson {
    nlohmann::ordered_json root;
    // False when a number would be written back differently (a float printed another way,
    // an integer beyond 64 bits) or an object repeats a key (all but one would be lost).
    bool writesBackExactly = true;

    // No value when the bytes are not one JSON document.
    static std::optional<ExactSettingsJson> parse(std::string_view bytes);
    // The text Quaylight writes: two-space indentation, keys in their order, a final
    // newline.
    static std::string serialize(const nlohmann::ordered_json& root);
};

}  // namespace quaylight
