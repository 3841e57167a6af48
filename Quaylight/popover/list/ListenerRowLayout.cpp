#include "Quaylight/popover/list/ListenerRowLayout.h"

#include <algorithm>
#include "Quaylight/popover/frame/StackedExtents.h"

namespace quaylight {

ListenerRowShape listenerRowShape(const ListenerRowTexts& t) {
    return {t.density,         t.port.has_value(),    t.isSystem,          t.hasVitalsLine,
            t.path.has_value(), t.classificationLabel.has_value(), t.agent.has_value()};
}

ListenerRowLayout ListenerRowLayout::stack(std::vector<int> heights) {
    ListenerRowLayout layout;
    static_cast<StackedExtents&>(layout) = stackExtents(std::move(heights), topPadding, spacing, bottomPadding);
    return layout;
}

int ListenerRowLayout::centringScroll(std::size_t row, int viewHeight) const {
    const int furthest = std::max(0, height - viewHeight);
    return std::clamp(tops[row] + heights[row] / 2 - viewHeight / 2, 0, furthest);
}

bool ListenerRowLayout::whollyInView(std::size_t row, int scroll, int viewHeight) const {
    return tops[row] >= scroll && bottom(row) <= scroll + viewHeight;
}

}  // namespace quaylight
