// The indicator with real wing windows on the offscreen platform and the real clock, the
// desktop's sources faked: where the windows go, what they are called, and that nothing
// runs, waits or paints while nothing moves.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QCoreApplication>
#include <QTest>

#include "Quaylight/notch/NotchIslandIndicator.h"
#include "Quaylight/notch/platform/FakeDesktopEventSources.h"
#include "Quaylight/notch/platform/QtNotchScheduler.h"
#include "Quaylight/notch/platform/QtNotchScreens.h"
#include "Quaylight/notch/widgets/NotchWingWindow.h"
#include "TidewatchKit/platform/SimulatedNotch.h"
#include "TidewatchKit/platform/FakeNotchScreens.h"

namespace quaylight {
namespace {

class IndicatorTest : public ::testing::Test {
protected:
    std::shared_ptr<QtNotchScheduler> scheduler = std::make_shared<QtNotchScheduler>();
    std::shared_ptr<FakeNotchScreens> screens = std::make_shared<FakeNotchScreens>(
        std::vector{linuxScreenContext({0, 0, 1280, 800}, true, false, NotchSize{200, 32})});
    std::shared_ptr<FakeSpaceChangeSource> spaces = std::make_shared<FakeSpaceChangeSource>();
    std::shared_ptr<FakeSleepWakeSource> sleepWake = std::make_shared<FakeSleepWakeSource>();
    std::shared_ptr<FakeAccessibilityOptionsSource> accessibility = std::make_shared<FakeAccessibilityOptionsSource>();
    std::unique_ptr<NotchIslandIndicator> indicator;

    void SetUp() override {
        NotchIslandIndicator::Dependencies d;
        d.scheduler = scheduler;
        d.screens = screens;
        d.primaryBottom = [] { return 800.0; };
        d.spaces = spaces;
        d.sleepWake = sleepWake;
        d.accessibility = accessibility;
        d.hasCompositor = true;
        indicator = std::make_unique<NotchIslandIndicator>(d);
    }
    void TearDown() override {
        indicator->shutDown();
        indicator.reset();
    }

    NotchWingWindow& left() { return indicator->leftWindow(); }
    NotchWingWindow& right() { return indicator->rightWindow(); }

    void present(const NotchIslandPresentation& p) {
        indicator->setLatestPresentation(p.withoutCompletions());
        indicator->setSynchronizingFromApp(true);
        indicator->presentLatest(p);
        indicator->setSynchronizingFromApp(false);
    }
    bool settles() {
        return QTest::qWaitFor([&] {
            return !left().isTransientRunning() && !right().isTransientRunning() && scheduler->pendingCount() == 0;
        }, 5000);
    }
    // Nothing runs, waits or paints over several turns of the event loop.
    void expectIdle() {
        EXPECT_FALSE(left().isTransientRunning());
        EXPECT_FALSE(right().isTransientRunning());
        EXPECT_FALSE(left().isWaveRunning());
        EXPECT_FALSE(right().isWaveRunning());
        EXPECT_EQ(scheduler->pendingCount(), 0);
        QCoreApplication::processEvents();
        const int painted = left().paintCount() + right().paintCount();
        for (int turn = 0; turn < 5; ++turn) {
            QTest::qWait(20);
            QCoreApplication::processEvents();
        }
        EXPECT_EQ(left().paintCount() + right().paintCount(), painted);
    }
};

TEST_F(IndicatorTest, HiddenRunsNothing) {
    EXPECT_FALSE(left().isVisible());
    EXPECT_FALSE(right().isVisible());
    expectIdle();
    EXPECT_EQ(left().paintCount() + right().paintCount(), 0);
}

TEST_F(IndicatorTest, WingWindowsBesideTheSimulatedNotch) {
    EXPECT_EQ(left().objectName(), QStringLiteral("quaylight-notch-left"));
    EXPECT_EQ(right().objectName(), QStringLiteral("quaylight-notch-right"));
    EXPECT_EQ(left().windowTitle(), QStringLiteral("quaylight-notch-left"));
    EXPECT_EQ(right().windowTitle(), QStringLiteral("quaylight-notch-right"));
    const auto flags = left().windowFlags();
    for (auto flag : {Qt::Tool, Qt::FramelessWindowHint, Qt::WindowStaysOnTopHint, Qt::X11BypassWindowManagerHint,
                      Qt::WindowDoesNotAcceptFocus, Qt::WindowTransparentForInput})
        EXPECT_TRUE(flags.testFlag(flag)) << flag;
    present({{2, false, 0}, {1, false, 0}});
    EXPECT_TRUE(left().isVisible());
    EXPECT_TRUE(right().isVisible());
    EXPECT_EQ(left().geometry(), QRect(482, 0, 70, 32));
    EXPECT_EQ(right().geometry(), QRect(728, 0, 70, 32));
    EXPECT_EQ(left().accessibleName(), QStringLiteral("2 Codex sessions"));
    EXPECT_EQ(right().accessibleName(), QStringLiteral("1 Claude Code session"));
    EXPECT_FALSE(left().hasFocus());
    // A screen reader reads each wing as a read-only label.
    for (NotchWingWindow* wing : {&left(), &right()}) {
        auto* accessible = QAccessible::queryAccessibleInterface(wing);
        EXPECT_EQ(accessible->role(), QAccessible::StaticText);
        EXPECT_TRUE(accessible->state().readOnly);
        EXPECT_EQ(accessible->text(QAccessible::Name), wing->accessibleName());
    }
}

TEST_F(IndicatorTest, NoNotchShowsNoWindow) {
    screens->screens = {linuxScreenContext({0, 0, 1280, 800}, true, false, std::nullopt)};
    present({{2, true, 0}, {1, true, 0}});
    EXPECT_EQ(indicator->controller().disposition(), NotchIslandDisposition::menuBarFallback);
    EXPECT_FALSE(left().isVisible());
    EXPECT_FALSE(right().isVisible());
    expectIdle();
}

TEST_F(IndicatorTest, SteadyRunsNothingOnceSettled) {
    present({{2, false, 0}, {0, false, 0}});
    EXPECT_TRUE(left().isTransientRunning());  // the entrance
    ASSERT_TRUE(settles());
    expectIdle();
}

TEST_F(IndicatorTest, WorkingUnderReducedMotionRunsNothingOnceSettled) {
    accessibility->set({true, false, false, false});
    present({{2, true, 0}, {1, true, 0}});
    ASSERT_TRUE(settles());
    expectIdle();
}

TEST_F(IndicatorTest, WorkingRunsOneLoopingAnimationPerShownWing) {
    present({{2, true, 0}, {0, false, 0}});
    ASSERT_TRUE(settles());
    EXPECT_TRUE(left().isWaveRunning());
    EXPECT_FALSE(right().isWaveRunning());
    const int painted = left().paintCount();
    EXPECT_TRUE(QTest::qWaitFor([&] { return left().paintCount() > painted + 2; }, 2000));
    // Reduced motion stops the wave at once.
    accessibility->set({true, false, false, false});
    EXPECT_FALSE(left().isWaveRunning());
    ASSERT_TRUE(settles());
    expectIdle();
}

TEST_F(IndicatorTest, CompletionPlaysAndTheWindowGoes) {
    present({{1, true, 0}, {0, false, 0}});
    ASSERT_TRUE(settles());
    present({{0, false, 1}, {0, false, 0}});
    EXPECT_EQ(left().accessibleName(), QStringLiteral("1 Codex session ended"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !left().isVisible(); }, 5000));
    EXPECT_EQ(indicator->controller().disposition(), NotchIslandDisposition::hidden);
    ASSERT_TRUE(settles());
    expectIdle();
}

TEST(IndicatorWithoutCompositor, WingIsMaskedToTheTab) {
    NotchIslandIndicator::Dependencies d;
    d.screens = std::make_shared<FakeNotchScreens>(
        std::vector{linuxScreenContext({0, 0, 1280, 800}, true, false, NotchSize{200, 32})});
    d.primaryBottom = [] { return 800.0; };
    d.hasCompositor = false;
    NotchIslandIndicator indicator(d);
    indicator.setLatestPresentation({{1, false, 0}, {1, false, 0}});
    indicator.presentLatest();
    auto& left = indicator.leftWindow();
    auto& right = indicator.rightWindow();
    EXPECT_FALSE(left.testAttribute(Qt::WA_TranslucentBackground));
    // Only the outer bottom corner is cut away.
    EXPECT_FALSE(left.mask().contains(QPoint(0, 31)));
    EXPECT_TRUE(left.mask().contains(QPoint(69, 31)));
    EXPECT_TRUE(left.mask().contains(QPoint(0, 0)));
    EXPECT_FALSE(right.mask().contains(QPoint(69, 31)));
    EXPECT_TRUE(right.mask().contains(QPoint(0, 31)));
    indicator.shutDown();
}

TEST_F(IndicatorTest, DesktopSourcesReachTheController) {
    present({{1, false, 0}, {0, false, 0}});
    sleepWake->sleep();
    EXPECT_FALSE(left().isVisible());
    sleepWake->wake();
    EXPECT_TRUE(QTest::qWaitFor([&] { return left().isVisible(); }, 2000));
    spaces->fire();
    EXPECT_FALSE(left().isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return left().isVisible(); }, 2000));
}

}  // namespace
}  // namespace quaylight

namespace quaylight {
namespace {

TEST(SimulatedNotchChoice, TakenOnX11IgnoredOnWaylandOrWhenMalformed) {
    struct Case {
        std::optional<std::string> variable;
        const char* platform;
        std::optional<NotchSize> notch;
        bool logs;
    };
    const Case cases[] = {
        {std::nullopt, "xcb", std::nullopt, false},
        {std::nullopt, "wayland", std::nullopt, false},
        {"200x32", "xcb", NotchSize{200, 32}, false},
        {"200x32", "offscreen", NotchSize{200, 32}, false},
        {"200x32", "wayland", std::nullopt, true},
        {"200x32", "wayland-egl", std::nullopt, true},
        {"wide", "xcb", std::nullopt, true},
        {"", "xcb", std::nullopt, true},
    };
    for (const auto& c : cases) {
        const auto choice = chooseSimulatedNotch(c.variable, c.platform);
        EXPECT_EQ(choice.notch, c.notch) << c.variable.value_or("(unset)") << " on " << c.platform;
        EXPECT_EQ(choice.logLine.has_value(), c.logs) << c.variable.value_or("(unset)") << " on " << c.platform;
    }
    EXPECT_EQ(chooseSimulatedNotch("200x32", "wayland").logLine,
              "Windows cannot be placed on a Wayland screen, so QUAYLIGHT_SIMULATED_NOTCH is ignored.");
}

TEST(SimulatedNotch, ANotchThatDoesNotFitThePrimaryScreenIsLoggedAsIgnored) {
    const std::string plain =
        "No screen has a notch, so the Tidewatch wings stay hidden; QUAYLIGHT_SIMULATED_NOTCH=WIDTHxHEIGHT simulates one.";
    const ScreenRect screen{0, 0, 1280, 800};
    struct Case {
        std::optional<NotchSize> notch;
        std::optional<ScreenRect> primary;
        std::string line;
    };
    const Case cases[] = {
        {std::nullopt, screen, plain},
        {NotchSize{200, 32}, std::nullopt, plain},
        {NotchSize{200, 32}, screen, plain},
        {NotchSize{5000, 32}, screen,
         "QUAYLIGHT_SIMULATED_NOTCH is ignored: a 5000x32 notch does not fit inside the 1280x800 primary screen, so "
         "the Tidewatch wings stay hidden."},
        {NotchSize{200, 800}, screen,
         "QUAYLIGHT_SIMULATED_NOTCH is ignored: a 200x800 notch does not fit inside the 1280x800 primary screen, so "
         "the Tidewatch wings stay hidden."},
        {NotchSize{1280.5, 32}, screen,
         "QUAYLIGHT_SIMULATED_NOTCH is ignored: a 1280.5x32 notch does not fit inside the 1280x800 primary screen, so "
         "the Tidewatch wings stay hidden."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(notchFallbackLogLine(c.notch, c.primary), c.line);
        // The line agrees with the rule that places the wings.
        if (c.notch && c.primary) {
            EXPECT_EQ(linuxScreenContext(*c.primary, true, false, c.notch).hasNotch, c.line == plain);
        }
    }
}

}  // namespace
}  // namespace quaylight
