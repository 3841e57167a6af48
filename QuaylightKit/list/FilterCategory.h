#pragma once

#include <string_view>

#include "ProcessCoreKit/support/RawEnum.h"

namespace quaylight {

// The listener list's filter chips, in chip order; the raw value is the case name.
enum class FilterCategory { all, agents, codex, claude, web, node, python, rubyRails, go, bun, deno, other };

template <>
struct RawValues<FilterCategory> {
    static constexpr std::array<std::pair<FilterCategory, std::string_view>, 12> table{{
        {FilterCategory::all, "all"},
        {FilterCategory::agents, "agents"},
        {FilterCategory::codex, "codex"},
        {FilterCategory::claude, "claude"},
        {FilterCategory::web, "web"},
        {FilterCategory::node, "node"},
        {FilterCategory::python, "python"},
        {FilterCategory::rubyRails, "rubyRails"},
        {FilterCategory::go, "go"},
        {FilterCategory::bun, "bun"},
        {FilterCategory::deno, "deno"},
        {FilterCategory::other, "other"},
    }};
};

// The chip's text.
constexpr std::string_view displayName(FilterCategory category) {
    constexpr std::string_view titles[] = {"All",    "Agents",     "Codex", "Claude", "Web",  "Node",
                                           "Python", "Ruby/Rails", "Go",    "Bun",    "Deno", "Other"};
    return titles[static_cast<int>(category)];
}

}  // namespace quaylight
