#include "Quaylight/popover/list/ListenerRowLayout.h"

#include <algorithm>
#include <ranges>

namespace quaylight {

ListenerRowShape listenerRowShape(const ListenerRowTexts& t) {
    return {t.density,         t.port.has_value(),    t.isSystem,          t.hasVitalsLine,
            t.path.has_value(), t.classificationLabel.has_value(), t.agent.has_value()};
}

ListenerRowLayout ListenerRowLayout::stack(std::vector<int> heights) {
    ListenerRowLayout layout;
    layout.tops.reserve(heights.size());
    int y = topPadding;
    for (std::size_t i = 0; i < heights.size(); ++i) {
        if (i > 0) y += spacing;
        layout.tops.push_back(y);
        y += heights[i];
    }
    layout.heights = std::move(heights);
    layout.contentHeight = y + bottomPadding;
    return layout;
}

std::pair<std::size_t, std::size_t> ListenerRowLayout::rowsMeeting(int top, int bottom) const {
    // Tops and bottoms both grow down the list: the first row whose bottom lies below `top`,
    // up to the first row that starts at or below `bottom`.
    const auto rows = std::views::iota(std::size_t{0}, tops.size());
    const auto indexOf = [&](auto at) { return static_cast<std::size_t>(at - rows.begin()); };
    const std::size_t first =
        indexOf(std::ranges::partition_point(rows, [&](std::size_t row) { return this->bottom(row) <= top; }));
    const std::size_t last =
        indexOf(std::ranges::partition_point(rows, [&](std::size_t row) { return row < first || tops[row] < bottom; }));
    return {first, last};
}

int ListenerRowLayout::centringScroll(std::size_t row, int viewHeight) const {
    const int furthest = std::max(0, contentHeight - viewHeight);
    return std::clamp(tops[row] + heights[row] / 2 - viewHeight / 2, 0, furthest);
}

bool ListenerRowLayout::whollyInView(std::size_t row, int scroll, int viewHeight) const {
    return tops[row] >= scroll && bottom(row) <= scroll + viewHeight;
}

}  // namespace quaylight
