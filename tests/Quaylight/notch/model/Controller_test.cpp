#include <gtest/gtest.h>

#include "Quaylight/notch/controller/NotchIslandController.h"
#include "Quaylight/notch/controller/NotchIslandEnvironmentResolver.h"
#include "Quaylight/notch/model/ManualNotchScheduler.h"
#include "Quaylight/notch/platform/ScreenGeometry.h"
#include "TidewatchKit/platform/FakeNotchScreens.h"
#include "TidewatchKit/platform/NotchScreens.h"
#include "TidewatchKit/platform/SimulatedNotch.h"
#include "tests/Quaylight/notch/support/FakeWingSurface.h"

namespace quaylight {
namespace {

using Screen = NotchPlacementResolver::ScreenContext;

const ScreenRect primaryFrame{0, 0, 1280, 800};
Screen notchedPrimary() { return linuxScreenContext(primaryFrame, true, false, NotchSize{200, 32}); }
Screen plainScreen(const ScreenRect& frame, bool primary) { return linuxScreenContext(frame, primary, false, {}); }

NotchIslandPresentation codexWorking(int n = 1) { return {{n, true, 0}, {}}; }

class ControllerTest : public ::testing::Test {
protected:
    ManualNotchScheduler clock;
    FakeWingSurface left, right;
    FakeNotchScreens screens{{notchedPrimary()}};
    TidewatchAccessibilityOptions options;
    std::vector<NotchIslandDisposition> reported;
    std::unique_ptr<NotchIslandController> controller;

    void SetUp() override {
        controller = std::make_unique<NotchIslandController>(
            clock, left, right,
            NotchIslandController::Dependencies{
                [this](NotchIslandDisposition d) { reported.push_back(d); },
                [this] { return screens.screenContexts(); },
                [this] { return options; },
                {},
            });
    }
    NotchIslandDisposition show(const NotchIslandPresentation& p) {
        controller->latestPresentation = p;
        return controller->presentLatest();
    }
};

TEST_F(ControllerTest, SimulatedNotchPlacesTheWingsBesideIt) {
    EXPECT_EQ(show(codexWorking()), NotchIslandDisposition::island);
    ASSERT_EQ(left.frames.size(), 1u);
    EXPECT_EQ(toQtGeometry(left.frames.back(), primaryFrame.height), QRect(482, 0, 70, 32));
    EXPECT_TRUE(left.visible);
    // The right wing has nothing to show for Claude Code: placed nowhere, never shown.
    EXPECT_FALSE(right.visible);
    show({{1, false, 0}, {1, true, 0}});
    ASSERT_EQ(right.frames.size(), 1u);
    EXPECT_EQ(toQtGeometry(right.frames.back(), primaryFrame.height), QRect(728, 0, 70, 32));
    EXPECT_EQ(reported, std::vector{NotchIslandDisposition::island});
}

TEST_F(ControllerTest, NoNotchMeansFallbackWithContentAndNoWindow) {
    screens.screens = {plainScreen(primaryFrame, true)};
    EXPECT_EQ(show(codexWorking()), NotchIslandDisposition::menuBarFallback);
    EXPECT_EQ(show({}), NotchIslandDisposition::hidden);
    EXPECT_EQ(left.frontCount + right.frontCount, 0);
    screens.screens = {};
    EXPECT_EQ(show(codexWorking()), NotchIslandDisposition::menuBarFallback);
    EXPECT_EQ(left.frontCount + right.frontCount, 0);
}

TEST_F(ControllerTest, EmptyPresentationHidesAndReportsOnce) {
    show(codexWorking());
    reported.clear();
    EXPECT_EQ(show({}), NotchIslandDisposition::hidden);
    EXPECT_EQ(left.frontCount, 1);
    EXPECT_EQ(controller->leftWing().state(), NotchWingState::fading);  // animated hide
    EXPECT_EQ(show({}), NotchIslandDisposition::hidden);
    EXPECT_EQ(reported, std::vector{NotchIslandDisposition::hidden});
}

TEST_F(ControllerTest, SynchronisingFromTheAppKeepsTheCallbackSilent) {
    controller->isSynchronizingFromApp = true;
    show(codexWorking());
    controller->isSynchronizingFromApp = false;
    EXPECT_TRUE(reported.empty());
    EXPECT_EQ(controller->disposition(), NotchIslandDisposition::island);
}

TEST_F(ControllerTest, OverrideIsUsedForOneCallOnly) {
    controller->latestPresentation = codexWorking();
    controller->presentLatest(NotchIslandPresentation{{1, true, 1}, {}});
    EXPECT_EQ(controller->latestPresentation, codexWorking());
    EXPECT_TRUE(controller->leftWing().group().isPresentingCompletion());
}

TEST_F(ControllerTest, AsleepScreensHideUntilTheNextTurnAfterWake) {
    show(codexWorking());
    controller->screensDidSleep();
    EXPECT_FALSE(left.visible);
    EXPECT_EQ(controller->presentLatest(), NotchIslandDisposition::hidden);
    controller->screensDidWake();
    EXPECT_FALSE(left.visible);  // not at once
    clock.turn();
    EXPECT_TRUE(left.visible);
    EXPECT_EQ(controller->disposition(), NotchIslandDisposition::island);
}

TEST_F(ControllerTest, SleepSupersedesAPendingWake) {
    show(codexWorking());
    controller->screensDidSleep();
    controller->screensDidWake();
    controller->screensDidSleep();
    clock.advance(1);
    EXPECT_FALSE(left.visible);
    EXPECT_TRUE(controller->screensAreAsleep());
}

TEST_F(ControllerTest, TwoSpaceChangesReappearOnceAfterTheSecond) {
    show(codexWorking());
    controller->activeSpaceChanged();
    EXPECT_FALSE(left.visible);
    clock.advance(0.2);
    controller->activeSpaceChanged();
    const int fronts = left.frontCount;
    clock.advance(0.41);
    EXPECT_FALSE(left.visible);  // the first change's re-presentation was superseded
    clock.advance(0.01);
    EXPECT_TRUE(left.visible);
    EXPECT_EQ(left.frontCount, fronts + 1);
    clock.advance(2);
    EXPECT_EQ(left.frontCount, fronts + 1);
}

TEST_F(ControllerTest, SpaceDelayFollowsReducedMotion) {
    options.reduceMotion = true;
    show(codexWorking());
    controller->activeSpaceChanged();
    clock.advance(0.18);
    EXPECT_TRUE(left.visible);
}

TEST_F(ControllerTest, SpaceChangeIsIgnoredInFallbackOrWithNothingToShow) {
    controller->activeSpaceChanged();
    EXPECT_TRUE(reported.empty());
    EXPECT_EQ(left.outCount, 0);
    screens.screens = {plainScreen(primaryFrame, true)};
    show(codexWorking());
    reported.clear();
    controller->activeSpaceChanged();
    EXPECT_FALSE(controller->spaceIsSettling());
    EXPECT_TRUE(reported.empty());
}

TEST_F(ControllerTest, HideDropsAPendingSpaceReturn) {
    show(codexWorking());
    controller->activeSpaceChanged();
    controller->hide();
    EXPECT_EQ(controller->latestPresentation, NotchIslandPresentation::empty());
    clock.advance(1);
    EXPECT_FALSE(left.visible);
    EXPECT_FALSE(controller->spaceIsSettling());
}

TEST_F(ControllerTest, OnlyAPendingCompletionShowsThenRetracts) {
    controller->latestPresentation = {};
    EXPECT_EQ(controller->presentLatest(NotchIslandPresentation{{0, false, 1}, {}}), NotchIslandDisposition::island);
    EXPECT_TRUE(left.visible);
    EXPECT_FALSE(right.visible);
    // An inventory publication meanwhile keeps the island while the completion runs.
    EXPECT_EQ(controller->presentLatest(), NotchIslandDisposition::island);
    clock.advance(1.06);
    EXPECT_TRUE(controller->leftWing().isRetracting());
    EXPECT_EQ(controller->presentLatest(), NotchIslandDisposition::island);
    clock.advance(0.18);
    EXPECT_FALSE(left.visible);
    EXPECT_EQ(controller->disposition(), NotchIslandDisposition::hidden);
    EXPECT_EQ(clock.pendingCount(), 0u);
}

TEST_F(ControllerTest, CompletionEndReturnsToTheLatestPresentation) {
    controller->latestPresentation = codexWorking(2);
    controller->presentLatest(NotchIslandPresentation{{2, true, 1}, {}});
    EXPECT_EQ(left.label, "1 Codex session ended; 2 sessions remaining");
    clock.advance(1.06);
    EXPECT_EQ(left.label, "2 Codex sessions");
    EXPECT_TRUE(controller->leftWing().isWaving());
}

TEST_F(ControllerTest, NotchlessExternalScreenFirstIsSkipped) {
    screens.screens = {plainScreen({-1920, 0, 1920, 1080}, false), notchedPrimary()};
    EXPECT_EQ(show(codexWorking()), NotchIslandDisposition::island);
    EXPECT_EQ(left.frames.back(), (ScreenRect{482, 768, 70, 32}));
}

TEST_F(ControllerTest, RefusedNotchedScreenIsSkippedForTheNext) {
    // A notch too narrow for the wings (gap 30 < 40), then a good one further on.
    auto narrow = linuxScreenContext({2000, 0, 1000, 600}, true, false, NotchSize{30, 24});
    screens.screens = {narrow, notchedPrimary()};
    EXPECT_EQ(show(codexWorking()), NotchIslandDisposition::island);
    EXPECT_EQ(left.frames.back().y, 768);
    screens.screens = {narrow};
    EXPECT_EQ(show(codexWorking()), NotchIslandDisposition::menuBarFallback);
}

TEST_F(ControllerTest, AccessibilityChangeInFallbackReportsAgain) {
    screens.screens = {plainScreen(primaryFrame, true)};
    show(codexWorking());
    reported.clear();
    controller->accessibilityDisplayOptionsChanged();
    EXPECT_EQ(reported, std::vector{NotchIslandDisposition::menuBarFallback});
}

TEST_F(ControllerTest, AccessibilityChangeRepresentsWithTheNewOptions) {
    show(codexWorking());
    EXPECT_TRUE(controller->leftWing().isWaving());
    options.reduceMotion = true;
    controller->accessibilityDisplayOptionsChanged();
    EXPECT_FALSE(controller->leftWing().isWaving());
}

TEST_F(ControllerTest, HideTakesReducedMotionFromTheOptionsProvider) {
    show(codexWorking());
    clock.advance(1);
    options.reduceMotion = true;
    controller->hide();
    EXPECT_DOUBLE_EQ(controller->leftWing().alpha().duration, 0.10);
}

TEST_F(ControllerTest, ScreenChangeCutsAndReturnsOnTheNextTurn) {
    show(codexWorking());
    reported.clear();
    controller->screenParametersChanged();
    EXPECT_FALSE(left.visible);
    EXPECT_EQ(reported, std::vector{NotchIslandDisposition::hidden});
    controller->screenParametersChanged();  // a second change supersedes the first
    clock.turn();
    EXPECT_TRUE(left.visible);
    EXPECT_EQ(left.frontCount, 2);
}

TEST_F(ControllerTest, ShutDownCutsEverything) {
    show({{1, true, 0}, {2, false, 0}});
    controller->activeSpaceChanged();
    clock.advance(1);
    controller->shutDown();
    EXPECT_FALSE(left.visible);
    EXPECT_FALSE(right.visible);
    EXPECT_EQ(controller->disposition(), NotchIslandDisposition::hidden);
    clock.advance(1);
    EXPECT_FALSE(left.visible);
}

TEST_F(ControllerTest, DelayedWorkOfADestroyedControllerDoesNothing) {
    show(codexWorking());
    controller->activeSpaceChanged();
    controller.reset();
    clock.advance(1);  // must not touch the destroyed controller
    SUCCEED();
}

TEST(ScreenGeometry, ConvertsBetweenUpwardFramesAndQtGeometry) {
    struct Case {
        ScreenRect frame;
        double primaryHeight;
        QRect qt;
    };
    const Case cases[] = {
        {{482, 768, 70, 32}, 800, QRect(482, 0, 70, 32)},
        {{0, 0, 1280, 800}, 800, QRect(0, 0, 1280, 800)},
        {{1280, -280, 1920, 1080}, 800, QRect(1280, 0, 1920, 1080)},  // a taller screen to the right, tops aligned
        {{-1024, 800, 1024, 768}, 800, QRect(-1024, -768, 1024, 768)},  // above and left of the primary
    };
    for (const auto& c : cases) {
        EXPECT_EQ(toQtGeometry(c.frame, c.primaryHeight), c.qt);
        EXPECT_EQ(fromQtGeometry(c.qt, c.primaryHeight), c.frame);
    }
}

}  // namespace
}  // namespace quaylight
