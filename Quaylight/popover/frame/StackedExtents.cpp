#include "Quaylight/popover/frame/StackedExtents.h"

#include <algorithm>

namespace quaylight {

StackedExtents stackExtents(std::vector<int> heights, int leading, int spacing, int trailing) {
    StackedExtents extents;
    extents.tops.reserve(heights.size());
    int y = leading;
    for (std::size_t i = 0; i < heights.size(); ++i) {
        if (i > 0) y += spacing;
        extents.tops.push_back(y);
        y += heights[i];
    }
    extents.heights = std::move(heights);
    extents.height = y + trailing;
    return extents;
}

StackedExtents::Range StackedExtents::within(int top, int bottom) const {
    if (top >= bottom || tops.empty()) return {};
    // The first item whose bottom lies below `top`: tops and bottoms both rise down the column.
    std::size_t low = 0, high = tops.size();
    while (low < high) {
        const std::size_t mid = (low + high) / 2;
        if (tops[mid] + heights[mid] <= top) low = mid + 1;
        else high = mid;
    }
    const std::size_t first = low;
    const auto past = std::lower_bound(tops.begin() + static_cast<std::ptrdiff_t>(first), tops.end(), bottom);
    const auto last = static_cast<std::size_t>(past - tops.begin());
    return last > first ? Range{first, last} : Range{};
}

}  // namespace quaylight
