#include "TidewatchKit/platform/SimulatedNotch.h"

#include <cctype>

#include <gtest/gtest.h>

#include "TidewatchKit/platform/FakeNotchScreens.h"

namespace quaylight {
namespace {

struct ParseCase {
    std::string text;
    std::optional<NotchSize> size;
};

// The text with every character outside [0-9A-Za-z.+-] written as its code, so that each
// case has a stable name of its own.
void PrintTo(const ParseCase& c, std::ostream* os) {
    *os << '"';
    for (unsigned char ch : c.text) {
        if (std::isalnum(ch) || ch == '.' || ch == '+' || ch == '-') *os << ch;
        else *os << "\\x" << std::hex << int(ch) << std::dec;
    }
    *os << '"';
}

class SimulatedNotchText : public ::testing::TestWithParam<ParseCase> {};

TEST_P(SimulatedNotchText, IsTwoPositiveNumbersAroundAnX) {
    EXPECT_EQ(parseSimulatedNotch(GetParam().text), GetParam().size) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, SimulatedNotchText,
    ::testing::Values(ParseCase{"200x32", NotchSize{200, 32}}, ParseCase{"185.5X32.25", NotchSize{185.5, 32.25}},
                      ParseCase{"", std::nullopt}, ParseCase{"200", std::nullopt}, ParseCase{"x32", std::nullopt},
                      ParseCase{"200x", std::nullopt}, ParseCase{"0x32", std::nullopt},
                      ParseCase{"200x0.0", std::nullopt}, ParseCase{"-200x32", std::nullopt},
                      ParseCase{"+200x32", std::nullopt}, ParseCase{"200x32x1", std::nullopt},
                      ParseCase{" 200x32", std::nullopt}, ParseCase{"200 x 32", std::nullopt},
                      ParseCase{"1e3x32", std::nullopt}, ParseCase{"infx32", std::nullopt},
                      ParseCase{"200x32\n", std::nullopt}, ParseCase{"200,5x32", std::nullopt}));

const ScreenRect fullHD{0, 0, 1920, 1080};

TEST(LinuxScreenContext, WithoutASimulatedNotchTheIndicatorFallsBackToTheTray) {
    auto context = linuxScreenContext(fullHD, true, false, std::nullopt);
    EXPECT_FALSE(context.isBuiltIn);
    EXPECT_FALSE(context.hasNotch);
    EXPECT_FALSE(context.auxiliaryTopLeft);
    EXPECT_EQ(context.screenFrame, fullHD);
    EXPECT_TRUE(std::holds_alternative<NotchPlacementResolver::MenuBarFallback>(
        NotchPlacementResolver::resolveIsland(context, 58, 12)));
}

TEST(LinuxScreenContext, SimulatedNotchSitsAtTheTopCentreOfThePrimaryScreen) {
    FakeNotchScreens screens({linuxScreenContext(fullHD, true, false, NotchSize{200, 32}),
                              linuxScreenContext(ScreenRect{1920, 0, 1280, 1024}, false, false, NotchSize{200, 32})});
    auto contexts = screens.screenContexts();
    ASSERT_EQ(contexts.size(), 2u);
    const auto& primary = contexts[0];
    EXPECT_TRUE(primary.isBuiltIn);
    EXPECT_TRUE(primary.hasNotch);
    EXPECT_EQ(primary.auxiliaryTopLeft, (ScreenRect{0, 1048, 860, 32}));
    EXPECT_EQ(primary.auxiliaryTopRight, (ScreenRect{1060, 1048, 860, 32}));
    auto decision = NotchPlacementResolver::resolveIsland(primary, 58, 12);
    ASSERT_TRUE(std::holds_alternative<NotchPlacementResolver::ShowIsland>(decision));
    EXPECT_EQ(std::get<NotchPlacementResolver::ShowIsland>(decision).layout.leftWingFrame, (ScreenRect{802, 1048, 70, 32}));

    EXPECT_FALSE(contexts[1].hasNotch);  // only the primary screen gets one
}

TEST(LinuxScreenContext, NotchThatDoesNotFitTheScreenIsIgnored) {
    EXPECT_FALSE(linuxScreenContext(fullHD, true, false, NotchSize{1920, 32}).hasNotch);
    EXPECT_FALSE(linuxScreenContext(fullHD, true, false, NotchSize{200, 1080}).hasNotch);
}

TEST(LinuxScreenContext, FullScreenIsCarriedThrough) {
    auto context = linuxScreenContext(fullHD, true, true, NotchSize{200, 32});
    EXPECT_TRUE(context.isFullScreen);
    EXPECT_TRUE(std::holds_alternative<NotchPlacementResolver::MenuBarFallback>(NotchPlacementResolver::resolve(context)));
}

}  // namespace
}  // namespace quaylight
