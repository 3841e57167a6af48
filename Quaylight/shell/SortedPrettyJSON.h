#pragma once
// Writes JSON the way the scan report has always looked: keys sorted at every level,
// two-space indentation, " : " between key and value, empty containers as an opening and
// a closing bracket with a blank line between, and "/" escaped as "\/". Integers are
// written exactly, however large. Text that is not UTF-8 is repaired, never rejected.

#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace quaylight {

std::string sortedPrettyJSON(const nlohmann::ordered_json& value);

// Appends `value` as it stands at nesting `depth` (its first line is not indented).
void appendSortedPrettyJSON(std::string& out, const nlohmann::ordered_json& value, int depth);

// Key order: case-insensitive first, then by bytes, so that the order is total.
bool sortedKeyLess(std::string_view a, std::string_view b);

}  // namespace quaylight
