#include "TidewatchKit/notch/NotchPlacementResolver.h"

#include <gtest/gtest.h>

namespace quaylight {
namespace {

using Resolver = NotchPlacementResolver;

// A notched built-in screen, 1512 x 982 points: two 32-point top areas beside a notch
// `gap` points wide, centred.
Resolver::ScreenContext notched(double gap = 184, double leftHeight = 32, double rightHeight = 32) {
    const double width = 1512, height = 982;
    const double side = (width - gap) / 2;
    return {true, true, false, ScreenRect{0, height - leftHeight, side, leftHeight},
            ScreenRect{side + gap, height - rightHeight, side, rightHeight}, ScreenRect{0, 0, width, height}};
}

bool fallsBack(const Resolver::Decision& d) { return std::holds_alternative<Resolver::MenuBarFallback>(d); }
bool fallsBack(const Resolver::IslandDecision& d) { return std::holds_alternative<Resolver::MenuBarFallback>(d); }

Resolver::IslandLayout island(const Resolver::ScreenContext& context, double w = 58, double o = 12) {
    auto decision = Resolver::resolveIsland(context, w, o);
    EXPECT_TRUE(std::holds_alternative<Resolver::ShowIsland>(decision));
    return std::holds_alternative<Resolver::ShowIsland>(decision) ? std::get<Resolver::ShowIsland>(decision).layout
                                                                  : Resolver::IslandLayout{};
}

TEST(NotchPlacementResolver, ScreensThatCannotHostTheIndicatorFallBack) {
    auto external = notched();
    external.isBuiltIn = false;
    auto noNotch = notched();
    noNotch.hasNotch = false;
    auto fullScreen = notched();
    fullScreen.isFullScreen = true;
    auto noLeft = notched();
    noLeft.auxiliaryTopLeft.reset();
    auto noRight = notched();
    noRight.auxiliaryTopRight.reset();
    for (const auto& context : {external, noNotch, fullScreen, noLeft, noRight}) {
        EXPECT_TRUE(fallsBack(Resolver::resolve(context)));
        EXPECT_TRUE(fallsBack(Resolver::resolveIsland(context, 58, 12)));
    }
}

TEST(NotchPlacementResolver, OverlayFillsTheGapAtTheTopOfTheScreen) {
    auto decision = Resolver::resolve(notched());
    ASSERT_TRUE(std::holds_alternative<Resolver::ShowOverlay>(decision));
    EXPECT_EQ(std::get<Resolver::ShowOverlay>(decision).frame, (ScreenRect{664, 954, 184, 28}));
}

TEST(NotchPlacementResolver, WingsFlankTheNotchAndReachUnderIt) {
    auto layout = island(notched());
    EXPECT_EQ(layout.leftWingFrame, (ScreenRect{606, 950, 70, 32}));
    EXPECT_EQ(layout.rightWingFrame, (ScreenRect{836, 950, 70, 32}));
    EXPECT_EQ(layout.leftWingFrame.maxX(), 664 + 12.0);   // 12 points inside the notch
    EXPECT_EQ(layout.rightWingFrame.minX(), 848 - 12.0);  // likewise on the right
    EXPECT_EQ(layout.visibleWingWidth, 58);
    EXPECT_EQ(layout.notchOverlap, 12);
}

struct GapCase {
    double gap;
    double overlap;
    bool shows;
};

void PrintTo(const GapCase& c, std::ostream* os) { *os << "gap" << c.gap << "_overlap" << c.overlap; }

class NotchGap : public ::testing::TestWithParam<GapCase> {};

TEST_P(NotchGap, MustExceedFortyAndTwiceTheOverlap) {
    const auto& c = GetParam();
    EXPECT_EQ(!fallsBack(Resolver::resolveIsland(notched(c.gap), 58, c.overlap)), c.shows) << c.gap << " " << c.overlap;
    if (c.overlap == 12) {
        EXPECT_EQ(!fallsBack(Resolver::resolve(notched(c.gap))), c.shows) << c.gap;
    }
}

INSTANTIATE_TEST_SUITE_P(Table, NotchGap,
                         ::testing::Values(GapCase{40.0, 12, false}, GapCase{40.5, 12, true}, GapCase{30, 12, false},
                                           GapCase{45, 25, false}, GapCase{50, 25, false}, GapCase{50.5, 25, true},
                                           GapCase{40.5, 0, true}));

struct WingCase {
    double width;
    double overlap;
    bool shows;
};

void PrintTo(const WingCase& c, std::ostream* os) { *os << "width" << c.width << "_overlap" << c.overlap; }

class WingSize : public ::testing::TestWithParam<WingCase> {};

TEST_P(WingSize, MustBePositiveFitTheAreasAndNotOverlapNegatively) {
    const auto& c = GetParam();
    EXPECT_EQ(!fallsBack(Resolver::resolveIsland(notched(), c.width, c.overlap)), c.shows) << c.width << " " << c.overlap;
}

INSTANTIATE_TEST_SUITE_P(Table, WingSize,
                         ::testing::Values(WingCase{58, 12, true}, WingCase{664, 12, true}, WingCase{664.5, 12, false},
                                           WingCase{0, 12, false}, WingCase{-5, 12, false}, WingCase{58, -1, false},
                                           WingCase{58, 0, true}));

TEST(NotchPlacementResolver, UnevenAreasGiveBothWingsTheSmallerHeightFlushWithTheTop) {
    auto layout = island(notched(184, 32, 24));
    EXPECT_EQ(layout.leftWingFrame.height, 24);
    EXPECT_EQ(layout.rightWingFrame.height, 24);
    EXPECT_EQ(layout.leftWingFrame.maxY(), 982);
    EXPECT_EQ(layout.rightWingFrame.maxY(), 982);
}

TEST(NotchPlacementResolver, AreaWithoutHeightFallsBack) {
    EXPECT_TRUE(fallsBack(Resolver::resolveIsland(notched(184, 0, 32), 58, 12)));
}

TEST(NotchPlacementResolver, WingWiderThanTheNarrowerAreaFallsBack) {
    auto context = notched();
    context.auxiliaryTopRight->width = 50;
    EXPECT_TRUE(fallsBack(Resolver::resolveIsland(context, 58, 12)));
}

}  // namespace
}  // namespace quaylight
