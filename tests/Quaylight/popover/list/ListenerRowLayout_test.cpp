// Where the list's rows stand, worked out from their heights alone.

#include <gtest/gtest.h>

#include "Quaylight/popover/list/ListenerRowLayout.h"

namespace quaylight {
namespace {

TEST(ListenerRowLayout, StacksRowsTwoPointsApartBelowOnePointAndAboveEight) {
    const auto layout = ListenerRowLayout::stack({60, 48, 60});
    EXPECT_EQ(layout.tops, (std::vector<int>{1, 63, 113}));
    EXPECT_EQ(layout.bottom(2), 173);
    EXPECT_EQ(layout.height, 181);
    EXPECT_EQ(ListenerRowLayout::stack({}).height, 9);
}

TEST(ListenerRowLayout, FindsTheRowsThatMeetABand) {
    // Rows at 1-61, 63-111, 113-173.
    const auto layout = ListenerRowLayout::stack({60, 48, 60});
    struct Case {
        int top, bottom;
        std::size_t first, last;
    };
    for (const Case& c : std::vector<Case>{{0, 1, 0, 0},      // the top margin alone
                                           {0, 2, 0, 1},      // the first row's first point
                                           {61, 63, 1, 1},    // the gap between two rows
                                           {60, 64, 0, 2},    // the end of one, the start of the next
                                           {-500, 5000, 0, 3},
                                           {112, 113, 2, 2},
                                           {172, 400, 2, 3},
                                           {173, 400, 3, 3}})
    {
        // The rows met, as [first, last); which empty range says "none" does not matter.
        const auto met = layout.within(c.top, c.bottom);
        EXPECT_EQ(met.last - met.first, c.last - c.first) << c.top << ".." << c.bottom;
        if (c.first != c.last) {
            EXPECT_EQ(met.first, c.first) << c.top << ".." << c.bottom;
        }
    }
}

TEST(ListenerRowLayout, CentresARowWithinWhatTheContentScrolls) {
    const auto layout = ListenerRowLayout::stack(std::vector<int>(100, 50));  // 52 apart, 5207 high
    struct Case {
        std::size_t row;
        int view, scroll;
    };
    for (const Case& c : std::vector<Case>{{0, 400, 0},          // the top stays at the top
                                           {50, 400, 1 + 50 * 52 + 25 - 200},
                                           {99, 400, 5207 - 400},  // no further than the end
                                           {3, 9000, 0}})         // the whole list in view
        EXPECT_EQ(layout.centringScroll(c.row, c.view), c.scroll) << c.row;
}

TEST(ListenerRowLayout, SaysWhetherARowIsWhollyInView) {
    const auto layout = ListenerRowLayout::stack({60, 48, 60});
    EXPECT_TRUE(layout.whollyInView(0, 0, 61));
    EXPECT_FALSE(layout.whollyInView(0, 0, 60));
    EXPECT_FALSE(layout.whollyInView(0, 2, 200));
    EXPECT_TRUE(layout.whollyInView(1, 63, 48));
    EXPECT_FALSE(layout.whollyInView(2, 0, 100));
}

}  // namespace
}  // namespace quaylight
