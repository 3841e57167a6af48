// The tray icon's ink against the panels it lands on: it reads at 3:1 or better on dark and
// light panels, from whichever clue the desktop gives.

#include <gtest/gtest.h>

#include "Quaylight/design/brand/TrayInk.h"

namespace quaylight {
namespace {

const QColor paletteBlack(0, 0, 0);

TEST(TrayInk, ThePanelBehindTheIconDecidesTheInkWithAtLeastThreeToOne) {
    struct Case {
        const char* panel;
        QColor background;
    };
    for (const Case& c : {Case{"XFCE's dark panel", QColor(0x39, 0x39, 0x39)}, Case{"tint2's dark panel", QColor(0x2b, 0x2b, 0x2b)},
                          Case{"a black panel", QColor(0, 0, 0)}, Case{"a light panel", QColor(0xef, 0xef, 0xef)},
                          Case{"a white panel", QColor(255, 255, 255)}, Case{"a mid-grey panel", QColor(0x80, 0x80, 0x80)},
                          Case{"a blue panel", QColor(0x1e, 0x3a, 0x8a)}}) {
        const QColor ink = TrayInk::choose({.panelBackground = c.background}, paletteBlack);
        EXPECT_GE(TrayInk::contrastRatio(ink, c.background), 3.0) << c.panel << " ink " << ink.name().toStdString();
    }
}

TEST(TrayInk, TheHostsOwnForegroundComesFirst) {
    const QColor host(0xee, 0xee, 0xec);
    EXPECT_EQ(TrayInk::choose({.hostForeground = host, .panelBackground = QColor(255, 255, 255), .colorScheme = 2},
                              paletteBlack),
              host);
}

TEST(TrayInk, TheColourSchemeDecidesWhenNothingIsKnownOfThePanel) {
    EXPECT_EQ(TrayInk::choose({.colorScheme = 1}, paletteBlack), TrayInk::lightInk());
    EXPECT_EQ(TrayInk::choose({.colorScheme = 2}, paletteBlack), TrayInk::darkInk());
    // 0: no preference.
    EXPECT_EQ(TrayInk::choose({.colorScheme = 0}, paletteBlack), paletteBlack);
    EXPECT_EQ(TrayInk::choose({}, paletteBlack), paletteBlack);
}

TEST(TrayInk, ContrastRatiosAreTheWcagOnes) {
    EXPECT_NEAR(TrayInk::contrastRatio(QColor(0, 0, 0), QColor(255, 255, 255)), 21.0, 1e-6);
    EXPECT_NEAR(TrayInk::contrastRatio(QColor(0x77, 0x77, 0x77), QColor(0x77, 0x77, 0x77)), 1.0, 1e-9);
    // The fault this guards: black on XFCE's default dark panel.
    EXPECT_LT(TrayInk::contrastRatio(QColor(0, 0, 0), QColor(0x39, 0x39, 0x39)), 2.0);
}

}  // namespace
}  // namespace quaylight
