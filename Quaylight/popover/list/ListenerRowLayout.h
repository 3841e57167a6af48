#pragma once
// Where each row of the listener list stands, worked out from the rows' texts alone: the list
// builds widgets only for the rows near the view, so the others' places must be known without
// one. A row's height depends only on which of its parts show (density, pill, tag, vitals and
// path lines, badges); `ListenerRowShape` names that, and the list measures each shape once.

#include <compare>
#include <cstddef>
#include <vector>

#include "Quaylight/popover/frame/StackedExtents.h"
#include "Quaylight/popover/model/ListenerRowTexts.h"

namespace quaylight {

struct ListenerRowShape {
    DisplaySettings::RowDensity density = DisplaySettings::RowDensity::comfortable;
    bool hasPort = false;
    bool isSystem = false;
    bool hasVitalsLine = false;
    bool hasPath = false;
    bool hasClassification = false;
    bool hasAgent = false;
    friend auto operator<=>(const ListenerRowShape&, const ListenerRowShape&) = default;
};

ListenerRowShape listenerRowShape(const ListenerRowTexts& texts);

// Rows stacked top to bottom, `spacing` apart, below a thin top margin and above a wider
// bottom one that keeps the last row off the panel's edge.
struct ListenerRowLayout : StackedExtents {
    static constexpr int topPadding = 1;
    static constexpr int spacing = 2;
    static constexpr int bottomPadding = 8;

    ListenerRowLayout() { height = topPadding + bottomPadding; }
    static ListenerRowLayout stack(std::vector<int> heights);

    std::size_t size() const { return tops.size(); }
    int bottom(std::size_t row) const { return tops[row] + heights[row]; }
    // The scroll position that brings the row's middle to the middle of a view `viewHeight`
    // high, within [0, the furthest the content scrolls].
    int centringScroll(std::size_t row, int viewHeight) const;
    // Whether the row stands wholly inside the view scrolled to `scroll`.
    bool whollyInView(std::size_t row, int scroll, int viewHeight) const;
    friend bool operator==(const ListenerRowLayout&, const ListenerRowLayout&) = default;
};

}  // namespace quaylight
