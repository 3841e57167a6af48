#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QWidget>
#include <cstdlib>

#include "Quaylight/design/platform/FakeReduceMotion.h"
#include "tests/Quaylight/shell/support/PortalSettings.h"
#include "tests/Quaylight/shell/support/PrivateBus.h"

namespace quaylight {
namespace {

TEST(ReduceMotion, MotionIsAllowedWhereNoProviderIsInstalled) {
    QWidget lone;
    EXPECT_FALSE(reduceMotionFor(&lone));
}

TEST(ReduceMotion, WidgetsFollowTheNearestInstalledProvider) {
    QWidget window;
    auto* panel = new QWidget(&window);
    auto* control = new QWidget(panel);
    auto outer = std::make_shared<FakeReduceMotion>(true);
    installReduceMotion(&window, outer);
    EXPECT_TRUE(reduceMotionFor(control));
    outer->set(false);
    EXPECT_FALSE(reduceMotionFor(control));

    installReduceMotion(panel, std::make_shared<FakeReduceMotion>(true));
    EXPECT_TRUE(reduceMotionFor(control));
    EXPECT_FALSE(reduceMotionFor(&window));

    // Installing again replaces the answer rather than stacking a second one.
    installReduceMotion(panel, std::make_shared<FakeReduceMotion>(false));
    EXPECT_FALSE(reduceMotionFor(control));
}

TEST(ReduceMotion, DesktopProviderAllowsMotionUntilThePortalAnswers) {
    // No portal answers synchronously (and the test machine may have no session bus at all).
    const auto provider = makeDesktopReduceMotionProvider();
    ASSERT_NE(provider, nullptr);
    EXPECT_FALSE(provider->reduceMotion());
}

// Against a stand-in portal on a private session bus. Like every test here it runs in a
// process of its own (ctest starts one per test), so this is where the process first
// reaches the session bus.
TEST(ReduceMotion, DesktopProviderFollowsThePortalsAnimationsSetting) {
    testsupport::PrivateBus bus;
    ASSERT_TRUE(bus.running()) << "dbus-daemon could not be started (is dbus-daemon installed?)";
    testsupport::PortalSettings portal;
    const QString group = QStringLiteral("org.gnome.desktop.interface");
    const QString key = QStringLiteral("enable-animations");
    portal.set(group, key, false);
    ASSERT_TRUE(portal.serveOn(bus.connect(QStringLiteral("portal"))));
    setenv("DBUS_SESSION_BUS_ADDRESS", bus.address().toUtf8().constData(), 1);

    const auto provider = makeDesktopReduceMotionProvider();
    const auto waitFor = [&](bool reduce) {
        QDeadlineTimer deadline(10000);
        while (provider->reduceMotion() != reduce && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        return provider->reduceMotion();
    };
    EXPECT_TRUE(waitFor(true)) << "animations off at start";
    ASSERT_TRUE(portal.announce(group, key, true));
    EXPECT_FALSE(waitFor(false)) << "animations turned on";
    ASSERT_TRUE(portal.announce(group, key, false));
    EXPECT_TRUE(waitFor(true)) << "animations turned off again";
}

}  // namespace
}  // namespace quaylight
