#include <gtest/gtest.h>

#include <QWidget>

#include "Quaylight/design/platform/FakeReduceMotion.h"

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

}  // namespace
}  // namespace quaylight
