#pragma once
// Where the items of a column stand when only some of them exist as widgets: each item's
// top from the heights of those above it, and which items meet a stretch of the column.
// The Agents tab stacks its host sections this way, each section its rows, and the Ports
// list its rows.

#include <cstddef>
#include <vector>

namespace quaylight {

struct StackedExtents {
    std::vector<int> tops;
    std::vector<int> heights;
    // The whole column, with the space before the first item and after the last.
    int height = 0;

    // The items that meet [top, bottom), as [first, last); empty when none does.
    struct Range {
        std::size_t first = 0;
        std::size_t last = 0;
        bool contains(std::size_t index) const { return index >= first && index < last; }
        friend bool operator==(const Range&, const Range&) = default;
    };
    Range within(int top, int bottom) const;

    friend bool operator==(const StackedExtents&, const StackedExtents&) = default;
};

// Items of `heights` one under another, `leading` space above the first, `spacing` between
// two and `trailing` below the last.
StackedExtents stackExtents(std::vector<int> heights, int leading, int spacing, int trailing);

}  // namespace quaylight
