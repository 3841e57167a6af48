#include <gtest/gtest.h>

#include <QSystemTrayIcon>

#include "Quaylight/shell/tray/TrayItem.h"

namespace quaylight {
namespace {

TEST(TrayItem, TheIconCarriesTheNameAndEveryPressToggles) {
    auto tray = TrayItem::live();
    auto* icon = tray->findChild<QSystemTrayIcon*>();
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->toolTip(), QStringLiteral("Quaylight"));
    EXPECT_FALSE(icon->icon().isNull());

    int presses = 0;
    QObject::connect(tray.get(), &TrayItem::pressed, [&] { ++presses; });
    // A double click arrives as a Trigger and then a DoubleClick: both toggle, as two
    // presses of the icon would.
    for (const auto reason : {QSystemTrayIcon::Trigger, QSystemTrayIcon::DoubleClick, QSystemTrayIcon::Context,
                              QSystemTrayIcon::MiddleClick})
        Q_EMIT icon->activated(reason);
    EXPECT_EQ(presses, 2);
}

TEST(TrayItem, NoGeometryWhileNotDocked) {
    auto tray = TrayItem::live();
    tray->show();  // offscreen: there is no tray to dock in
    EXPECT_EQ(tray->iconGeometry(), std::nullopt);
}

}  // namespace
}  // namespace quaylight
