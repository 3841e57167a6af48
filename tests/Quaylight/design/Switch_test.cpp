// The settings switch: toggled by click and Space, named by its row, accent when on, and
// drawn in the state it was given even when that was set with its signals blocked.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QSignalBlocker>
#include <QSignalSpy>
#include <QTest>

#include "Quaylight/design/controls/PremiumSwitch.h"
#include "Quaylight/design/theme/PremiumTheme.h"
#include "support/Rendering.h"

namespace quaylight {
namespace {

TEST(PremiumSwitch, ClickAndSpaceToggleIt) {
    PremiumSwitch toggle(QStringLiteral("Tidewatch"));
    QSignalSpy clicks(&toggle, &QAbstractButton::clicked);
    EXPECT_EQ(toggle.accessibleName(), QStringLiteral("Tidewatch"));
    EXPECT_EQ(toggle.sizeHint(), QSize(32, 18));
    EXPECT_FALSE(toggle.isChecked());
    toggle.click();
    EXPECT_TRUE(toggle.isChecked());
    toggle.setFocus();
    QTest::keyClick(&toggle, Qt::Key_Space);
    EXPECT_FALSE(toggle.isChecked());
    EXPECT_EQ(clicks.count(), 2);
}

TEST(PremiumSwitch, FollowsAStateSetWithSignalsBlocked) {
    PremiumSwitch toggle(QStringLiteral("Open Quaylight at login"));
    QSignalSpy clicks(&toggle, &QAbstractButton::clicked);
    {
        const QSignalBlocker blocker(&toggle);
        toggle.setChecked(true);
    }
    EXPECT_DOUBLE_EQ(toggle.progress(), 1.0);  // hidden: no slide, straight to on
    EXPECT_EQ(clicks.count(), 0);
}

TEST(PremiumSwitch, AScreenReadersToggleIsAClick) {
    PremiumSwitch toggle(QStringLiteral("Tidewatch"));
    QSignalSpy clicks(&toggle, &QAbstractButton::clicked);
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&toggle);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::CheckBox);
    EXPECT_EQ(accessible->text(QAccessible::Name), QStringLiteral("Tidewatch"));
    EXPECT_FALSE(accessible->state().checked);
    accessible->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(toggle.isChecked());
    EXPECT_TRUE(accessible->state().checked);
    EXPECT_EQ(clicks.count(), 1);
}

TEST(PremiumSwitch, AccentWhenOn) {
    EXPECT_EQ(premiumSwitchColors(1).track, PremiumTheme::accent());
    EXPECT_EQ(premiumSwitchColors(0).track, PremiumTheme::chipFill());
    PremiumSwitch on(QStringLiteral("On"), true);
    PremiumSwitch off(QStringLiteral("Off"), false);
    const QImage onImage = test::render(on, 2.0);
    const QImage offImage = test::render(off, 2.0);
    // The left end of the track shows the track's colour.
    const QColor onTrack = onImage.pixelColor(8, onImage.height() / 2);
    EXPECT_GT(onTrack.blue(), onTrack.red() + 80);
    const QColor offTrack = offImage.pixelColor(offImage.width() - 8, offImage.height() / 2);
    EXPECT_LT(offTrack.blue(), offTrack.red() + 40);
    test::saveToGallery(onImage, QStringLiteral("switch-on"));
    test::saveToGallery(offImage, QStringLiteral("switch-off"));
}

}  // namespace
}  // namespace quaylight
