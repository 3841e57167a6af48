#pragma once
// Parses a settings file keeping its key order, and tells whether writing it back would
// keep every value. A rewrite writes numbers in their shortest form (1.10 as 1.1, the
// same number); what it cannot keep is a number whose value would change (more digits
// than a double holds, an integer beyond 64 bits, an exponent out of range) and a key
// repeated in one object (all but one would be lost).

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace quaylight {

struct ExactSettingsJson {
    nlohmann::ordered_json root;
    // The first value a rewrite could not keep, named for the user (the number or key
    // and where it stands); no value when everything would be kept.
    std::optional<std::string> unkeptValue;

    // Objects and arrays nested deeper than this are refused: copying, comparing or
    // writing such a document recurses once per level and would overflow the stack.
    static constexpr std::size_t maxNestingDepth = 512;

    // No value when the bytes are not one JSON document or nest deeper than
    // maxNestingDepth.
    static std::optional<ExactSettingsJson> parse(std::string_view bytes);
    // Whether the brackets outside strings open more than maxNestingDepth levels; tells a
    // refused deep document from one that is not JSON.
    static bool nestsTooDeeply(std::string_view bytes);
    // The text Quaylight writes: two-space indentation, keys in their order, a final
    // newline.
    static std::string serialize(const nlohmann::ordered_json& root);
    // Whether the JSON number `lexeme` and the number `written` have the same decimal value
    // (1.10, 1.1 and 11e-1 do; 0.10000000000000000555 and 0.1 do not).
    static bool sameNumber(std::string_view lexeme, std::string_view written);
};

}  // namespace quaylight
