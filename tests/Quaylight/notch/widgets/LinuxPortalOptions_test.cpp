// The accessibility options source against a private session bus with a stand-in for the
// desktop portal's settings: the high-contrast value it reads at start, and the changes the
// portal announces, reach the indicator once each.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <cstdlib>
#include <functional>

#include "Quaylight/notch/platform/LinuxDesktopEventSources.h"
#include "tests/Quaylight/shell/support/PortalSettings.h"
#include "tests/Quaylight/shell/support/PrivateBus.h"

namespace quaylight {
namespace {

using testsupport::PortalSettings;
using testsupport::PrivateBus;

const QString a11y = QStringLiteral("org.gnome.desktop.a11y.interface");
const QString highContrast = QStringLiteral("high-contrast");

void processEventsUntil(const std::function<bool()>& done) {
    QDeadlineTimer deadline(10000);
    while (!done() && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

TEST(LinuxPortalOptions, HighContrastIsReadAtStartAndFollowedAfterwards) {
    PrivateBus bus;
    ASSERT_TRUE(bus.running()) << "dbus-daemon could not be started (is dbus-daemon installed?)";
    PortalSettings portal;
    portal.set(a11y, highContrast, true);
    ASSERT_TRUE(portal.serveOn(bus.connect(QStringLiteral("portal"))));

    // This test's process reaches the session bus first here, so the source connects to ours.
    setenv("DBUS_SESSION_BUS_ADDRESS", bus.address().toUtf8().constData(), 1);
    auto source = makeLinuxAccessibilityOptionsSource(nullptr);
    int changes = 0;
    source->setOnChange([&changes] { ++changes; });
    processEventsUntil([&] { return changes == 1; });
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(source->options().increaseContrast);

    ASSERT_TRUE(portal.announce(a11y, highContrast, false));
    processEventsUntil([&] { return changes == 2; });
    EXPECT_EQ(changes, 2);
    EXPECT_FALSE(source->options().increaseContrast);

    // The same value again is no change; the next real one is.
    ASSERT_TRUE(portal.announce(a11y, highContrast, false));
    ASSERT_TRUE(portal.announce(a11y, highContrast, true));
    processEventsUntil([&] { return changes == 3; });
    EXPECT_EQ(changes, 3);
    EXPECT_TRUE(source->options().increaseContrast);
}

}  // namespace
}  // namespace quaylight
