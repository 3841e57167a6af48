// Where the items of a column stand, and which of them meet a stretch of it.

#include <gtest/gtest.h>

#include "Quaylight/popover/frame/StackedExtents.h"

namespace quaylight {
namespace {

TEST(StackedExtents, TopsFromTheHeightsAbove) {
    const auto extents = stackExtents({40, 120, 40}, 24, 2, 8);
    EXPECT_EQ(extents.tops, (std::vector<int>{24, 66, 188}));
    EXPECT_EQ(extents.height, 24 + 40 + 2 + 120 + 2 + 40 + 8);
    const auto empty = stackExtents({}, 24, 2, 0);
    EXPECT_TRUE(empty.tops.empty());
    EXPECT_EQ(empty.height, 24);
}

TEST(StackedExtents, ItemsMeetingAStretch) {
    // Rows at 24-64, 66-186 and 188-228.
    const auto extents = stackExtents({40, 120, 40}, 24, 2, 8);
    using Range = StackedExtents::Range;
    struct Case {
        int top;
        int bottom;
        Range range;
    };
    const Case cases[] = {
        {0, 24, {}},            // the header alone
        {0, 25, {0, 1}},        // a row's first line
        {64, 66, {}},           // the gap between two rows
        {63, 67, {0, 2}},       // both sides of the gap
        {100, 110, {1, 2}},     // inside the tall row
        {-500, 5000, {0, 3}},   // far beyond both ends
        {227, 400, {2, 3}},     // the last row's last line
        {228, 400, {}},         // below every row
        {100, 100, {}},         // an empty stretch
        {300, 100, {}},         // an upside-down one
    };
    for (const auto& c : cases) EXPECT_EQ(extents.within(c.top, c.bottom), c.range) << c.top << "-" << c.bottom;
}

TEST(StackedExtents, ThousandsOfRowsFoundByTheirPlace) {
    const auto extents = stackExtents(std::vector<int>(2000, 40), 24, 2, 0);
    // Row i stands at 24 + 42 i.
    const auto range = extents.within(24 + 42 * 1500 + 39, 24 + 42 * 1503);
    EXPECT_EQ(range, (StackedExtents::Range{1500, 1503}));
    EXPECT_TRUE(range.contains(1502));
    EXPECT_FALSE(range.contains(1503));
}

}  // namespace
}  // namespace quaylight
