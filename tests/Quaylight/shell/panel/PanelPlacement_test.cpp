#include <gtest/gtest.h>

#include "Quaylight/shell/panel/PanelPlacement.h"

namespace quaylight {
namespace {

const QSize kPanel(700, 480);
const QRect kScreen(0, 0, 1920, 1080);
const QRect kWorkArea(0, 28, 1920, 1052);  // a top bar of 28 px

struct Case {
    const char* name;
    QRect anchor;
    std::optional<QRect> workArea;
    QSize panel;
    QRect expected;
};

// Test names stay the case's name, not a dump of its bytes.
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class Placement : public ::testing::TestWithParam<Case> {};

TEST_P(Placement, PutsThePanelWhereTheUserCanReachIt) {
    const auto& c = GetParam();
    EXPECT_EQ(PanelPlacement::place(c.anchor, c.workArea, c.panel), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Placement,
    ::testing::Values(
        // Centred under the icon, 6 px below it but at least 8 px inside the work area (the icon
        // sits in a top bar the work area leaves out).
        Case{"centredUnderTheIcon", QRect(900, 3, 22, 22), kWorkArea, kPanel, QRect(561, 36, 700, 480)},
        // Near the right edge the right side stays 8 px inside; near the left, the left side.
        Case{"rightEdge", QRect(1890, 3, 22, 22), kWorkArea, kPanel, QRect(1212, 36, 700, 480)},
        Case{"leftEdge", QRect(4, 3, 22, 22), kWorkArea, kPanel, QRect(8, 36, 700, 480)},
        // A screen narrower than the panel plus 16 px pins the left edge.
        Case{"narrowScreen", QRect(300, 3, 22, 22), QRect(0, 0, 640, 1080), kPanel, QRect(8, 31, 700, 480)},
        // A screen shorter than the panel pins the top edge (header, Settings, Quit visible).
        Case{"shortScreen", QRect(900, 3, 22, 22), QRect(0, 0, 1920, 400), kPanel, QRect(561, 8, 700, 480)},
        // An icon low on a short screen: pushed up, but never above the top margin.
        Case{"lowIconShortScreen", QRect(900, 350, 22, 22), QRect(0, 0, 1920, 400), kPanel, QRect(561, 8, 700, 480)},
        // A tray at the bottom edge: above the icon, inside the work area that ends above the tray.
        Case{"bottomTray", QRect(900, 1052, 22, 22), QRect(0, 0, 1920, 1048), kPanel, QRect(561, 560, 700, 480)},
        // An icon in the middle without room below: the panel opens above it.
        Case{"middleOpensAbove", QRect(900, 500, 22, 22), QRect(0, 0, 1920, 800), kPanel, QRect(561, 14, 700, 480)},
        // A second screen to the right: its own work area counts.
        Case{"secondScreen", QRect(3800, 3, 22, 22), QRect(1920, 0, 1920, 1080), kPanel, QRect(3132, 31, 700, 480)},
        // No screen at all: both edges at 8.
        Case{"noScreen", QRect(900, 3, 22, 22), std::nullopt, kPanel, QRect(8, 8, 700, 480)}),
    [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST(PlacementFallbacks, TheShortcutWithoutATrayOpensAtTheTopRightOfTheWorkArea) {
    const QRect anchor = PanelPlacement::topRightAnchor(kWorkArea, kPanel);
    EXPECT_EQ(PanelPlacement::place(anchor, kWorkArea, kPanel), QRect(1212, 36, 700, 480));
    EXPECT_EQ(PanelPlacement::place(PanelPlacement::topRightAnchor(std::nullopt, kPanel), std::nullopt, kPanel),
              QRect(8, 8, 700, 480));
}

TEST(PlacementFallbacks, AClickWithoutIconGeometryOpensAtThePointer) {
    const QRect anchor = PanelPlacement::cursorAnchor(QPoint(1000, 10));
    EXPECT_EQ(PanelPlacement::place(anchor, kScreen, kPanel), QRect(650, 17, 700, 480));
}

}  // namespace
}  // namespace quaylight
