#include <gtest/gtest.h>

#include "Quaylight/notch/model/ManualNotchScheduler.h"
#include "Quaylight/notch/wing/NotchWingModel.h"
#include "tests/Quaylight/notch/support/FakeWingSurface.h"

namespace quaylight {

// Test names stay the side's name, not a dump of its bytes.
static void PrintTo(NotchIslandWingSide side, std::ostream* os) {
    *os << (side == NotchIslandWingSide::left ? "left" : "right");
}

namespace {

const ScreenRect leftFrame{482, 768, 70, 32};

NotchIslandAgentState counting(int n, bool working = false) { return {n, working, 0}; }
NotchIslandAgentState finishing(int n, int finished) { return {n, false, finished}; }
const NotchIslandAgentState nothing{};

class WingTest : public ::testing::TestWithParam<NotchIslandWingSide> {
protected:
    ManualNotchScheduler clock;
    FakeWingSurface surface;
    NotchWingModel wing{GetParam(), clock, surface};
    TidewatchAccessibilityOptions options;
    int transientEnded = 0;

    void SetUp() override {
        wing.onTransientEnded = [this] { ++transientEnded; };
    }
    double towardsNotch() const { return GetParam() == NotchIslandWingSide::left ? 1 : -1; }
    void present(const NotchIslandAgentState& state) { wing.present(leftFrame, 12, state, options); }
    void showSteady(int n = 2) {
        present(counting(n));
        clock.advance(1);
    }
};

TEST_P(WingTest, HiddenPresentWithContentSlidesAndFadesIn) {
    present(counting(2, true));
    EXPECT_EQ(wing.state(), NotchWingState::shown);
    EXPECT_EQ(surface.frontCount, 1);
    ASSERT_EQ(surface.frames.size(), 1u);
    EXPECT_EQ(surface.frames[0], leftFrame);
    const double start = clock.now();
    // The entrance slides out of the notch: it starts 6 points towards it.
    EXPECT_DOUBLE_EQ(wing.translationXAt(start), 6 * towardsNotch());
    EXPECT_DOUBLE_EQ(wing.translationXAt(start + 0.18), 0);
    EXPECT_DOUBLE_EQ(wing.alphaAt(start), 0);
    EXPECT_DOUBLE_EQ(wing.alpha().duration, 0.18);
    EXPECT_TRUE(wing.isMovingAt(start + 0.1));
    EXPECT_FALSE(wing.isMovingAt(start + 0.2));
    EXPECT_TRUE(wing.isWaving());
    EXPECT_EQ(surface.label, GetParam() == NotchIslandWingSide::left ? "2 Codex sessions" : "2 Claude Code sessions");
}

TEST_P(WingTest, HiddenPresentUnderReducedMotionOnlyFades) {
    options.reduceMotion = true;
    present(counting(1, true));
    EXPECT_DOUBLE_EQ(wing.translationXAt(clock.now()), 0);
    EXPECT_DOUBLE_EQ(wing.alpha().duration, 0.12);
    EXPECT_FALSE(wing.isWaving());  // the still matrix instead of the wave
}

TEST_P(WingTest, HiddenPresentWithoutContentStaysHidden) {
    present(nothing);
    EXPECT_EQ(wing.state(), NotchWingState::hidden);
    EXPECT_EQ(surface.frontCount, 0);
    EXPECT_EQ(transientEnded, 0);
}

TEST_P(WingTest, ShownPresentWithContentUpdatesInPlace) {
    showSteady(2);
    present(counting(3));
    EXPECT_EQ(wing.state(), NotchWingState::shown);
    EXPECT_EQ(surface.frontCount, 1);
    EXPECT_DOUBLE_EQ(wing.alphaAt(clock.now()), 1);
    EXPECT_FALSE(wing.alpha().isRunningAt(clock.now()));
    EXPECT_EQ(wing.group().count.currentValue(), 3);
    EXPECT_EQ(wing.group().count.outgoing().size(), 1u);  // 2 rolls out
}

TEST_P(WingTest, ShownPresentWithoutContentFadesOut) {
    showSteady();
    present(nothing);
    EXPECT_EQ(wing.state(), NotchWingState::fading);
    EXPECT_DOUBLE_EQ(wing.alpha().duration, 0.13);
    EXPECT_DOUBLE_EQ(wing.translationXAt(clock.now() + 0.05), 0);  // no motion without retraction
    clock.advance(0.13);
    EXPECT_EQ(wing.state(), NotchWingState::hidden);
    EXPECT_EQ(surface.outCount, 1);
    EXPECT_EQ(transientEnded, 0);
    EXPECT_EQ(wing.group().latestCount, 0);  // reset
}

TEST_P(WingTest, FadeWithReducedMotionTakesATenth) {
    showSteady();
    wing.hide(true, false, false);
    EXPECT_DOUBLE_EQ(wing.alpha().duration, 0.10);
}

TEST_P(WingTest, CompletionWithNothingLeftRetractsIntoTheNotchAndNotifiesOnce) {
    showSteady(1);
    present(finishing(0, 1));
    EXPECT_EQ(surface.label,
              GetParam() == NotchIslandWingSide::left ? "1 Codex session ended" : "1 Claude Code session ended");
    clock.advance(0.88 + 0.18);
    EXPECT_EQ(wing.state(), NotchWingState::retracting);
    const double start = clock.now();
    EXPECT_DOUBLE_EQ(wing.translationXAt(start + 0.18), 12 * towardsNotch());
    EXPECT_LT(wing.scaleXAt(start + 0.09), 0.9);
    EXPECT_DOUBLE_EQ(wing.scaleXAt(start + 0.18), 0.84);
    EXPECT_DOUBLE_EQ(wing.alpha().duration, 0.18);
    EXPECT_EQ(transientEnded, 0);
    clock.advance(0.18);
    EXPECT_EQ(wing.state(), NotchWingState::hidden);
    EXPECT_DOUBLE_EQ(wing.translationXAt(clock.now()), 0);
    EXPECT_EQ(transientEnded, 1);
    clock.advance(3);
    EXPECT_EQ(transientEnded, 1);
    EXPECT_EQ(clock.pendingCount(), 0u);
}

TEST_P(WingTest, RetractionUnderReducedMotionOnlyFades) {
    options.reduceMotion = true;
    showSteady(1);
    present(finishing(0, 1));
    clock.advance(1.06);
    EXPECT_EQ(wing.state(), NotchWingState::retracting);
    EXPECT_DOUBLE_EQ(wing.translationXAt(clock.now() + 0.06), 0);
    EXPECT_DOUBLE_EQ(wing.scaleXAt(clock.now() + 0.06), 1);
    EXPECT_DOUBLE_EQ(wing.alpha().duration, 0.12);
    clock.advance(0.12);
    EXPECT_EQ(wing.state(), NotchWingState::hidden);
    EXPECT_EQ(transientEnded, 1);
}

TEST_P(WingTest, CompletionWithSessionsLeftStaysAndNotifies) {
    showSteady(2);
    present(finishing(1, 1));
    EXPECT_EQ(surface.label, std::string("1 ") + NotchWingModel::agentName(GetParam()) + " session ended; 1 session remaining");
    clock.advance(1.06);
    EXPECT_EQ(wing.state(), NotchWingState::shown);
    EXPECT_EQ(transientEnded, 1);
    EXPECT_EQ(surface.label, std::string("1 ") + NotchWingModel::agentName(GetParam()) + " session");
}

TEST_P(WingTest, PresentWithContentDuringAFadeReversesIt) {
    showSteady();
    present(nothing);
    clock.advance(0.05);
    const double shown = wing.alphaAt(clock.now());
    present(counting(1));
    EXPECT_EQ(wing.state(), NotchWingState::shown);
    EXPECT_DOUBLE_EQ(wing.alphaAt(clock.now()), shown);
    EXPECT_DOUBLE_EQ(wing.alpha().duration, 0.16);
    clock.advance(1);
    EXPECT_EQ(surface.outCount, 0);  // the old fade's completion found a newer generation
    EXPECT_EQ(wing.state(), NotchWingState::shown);
}

TEST_P(WingTest, PresentWithContentDuringARetractionShowsAgain) {
    showSteady(1);
    present(finishing(0, 1));
    clock.advance(1.06 + 0.05);
    ASSERT_EQ(wing.state(), NotchWingState::retracting);
    present(counting(1));
    EXPECT_EQ(wing.state(), NotchWingState::shown);
    EXPECT_DOUBLE_EQ(wing.translationXAt(clock.now()), 0);
    clock.advance(1);
    EXPECT_EQ(surface.outCount, 0);
    EXPECT_EQ(transientEnded, 0);
}

TEST_P(WingTest, FadingAgainStartsFromTheShownAlpha) {
    showSteady();
    present(nothing);
    clock.advance(0.06);
    const double shown = wing.alphaAt(clock.now());
    present(nothing);
    EXPECT_EQ(wing.state(), NotchWingState::fading);
    EXPECT_DOUBLE_EQ(wing.alphaAt(clock.now()), shown);
    clock.advance(0.08);
    EXPECT_EQ(wing.state(), NotchWingState::fading);  // the first fade's end was superseded
    clock.advance(0.05);
    EXPECT_EQ(wing.state(), NotchWingState::hidden);
    EXPECT_EQ(surface.outCount, 1);
}

TEST_P(WingTest, PresentWithoutContentWhileRetractingIsIgnored) {
    showSteady(1);
    present(finishing(0, 1));
    clock.advance(1.06 + 0.05);
    const int generation = wing.transitionGeneration();
    present(nothing);
    EXPECT_EQ(wing.transitionGeneration(), generation);
    clock.advance(0.13);
    EXPECT_EQ(wing.state(), NotchWingState::hidden);
    EXPECT_EQ(transientEnded, 1);  // completes and notifies; no re-show
}

TEST_P(WingTest, PresentWithoutContentDuringACompletionLetsItPlayOut) {
    showSteady(1);
    present(finishing(0, 1));
    clock.advance(0.3);
    present(nothing);
    EXPECT_EQ(wing.state(), NotchWingState::shown);
    EXPECT_TRUE(wing.group().isPresentingCompletion());
    clock.advance(0.76);
    EXPECT_EQ(wing.state(), NotchWingState::retracting);
}

TEST_P(WingTest, CutHidesAtOnceWithoutNotification) {
    showSteady(1);
    present(finishing(0, 1));
    wing.cut();
    EXPECT_EQ(wing.state(), NotchWingState::hidden);
    EXPECT_EQ(surface.outCount, 1);
    EXPECT_DOUBLE_EQ(wing.alphaAt(clock.now()), 0);
    clock.advance(3);
    EXPECT_EQ(transientEnded, 0);
    EXPECT_EQ(wing.state(), NotchWingState::hidden);
}

TEST_P(WingTest, HideOfAHiddenWingCleansUpAndStillNotifies) {
    wing.hide(false, true, true);
    EXPECT_EQ(transientEnded, 1);
    EXPECT_EQ(surface.outCount, 0);
}

TEST_P(WingTest, IncreasedContrastThickensTheCheckMark) {
    options.increaseContrast = true;
    present(finishing(0, 1));
    EXPECT_DOUBLE_EQ(wing.group().completionLineWidth, 2.15);
    EXPECT_TRUE(wing.increaseContrast());
}

INSTANTIATE_TEST_SUITE_P(BothSides, WingTest,
                         ::testing::Values(NotchIslandWingSide::left, NotchIslandWingSide::right),
                         [](const auto& sideCase) { return sideCase.param == NotchIslandWingSide::left ? "left" : "right"; });

TEST(NotchWingGeometry, MatrixAndCountMirrorEachOther) {
    const auto left = NotchWingGeometry::of(70, 32, NotchIslandWingSide::left, 12);
    const auto right = NotchWingGeometry::of(70, 32, NotchIslandWingSide::right, 12);
    EXPECT_DOUBLE_EQ(left.outerRadius, 12);
    EXPECT_EQ(left.matrix, (ScreenRect{9, 12, 8, 8}));
    EXPECT_EQ(left.count, (ScreenRect{21, 8, 28, 16}));
    EXPECT_EQ(right.matrix, (ScreenRect{53, 12, 8, 8}));
    EXPECT_EQ(right.count, (ScreenRect{21, 8, 28, 16}));
    // 9 points in from the outer edge on both sides.
    EXPECT_DOUBLE_EQ(70 - right.matrix.maxX(), left.matrix.minX());
    EXPECT_EQ(matrixCellRect(left.matrix, 0), (ScreenRect{9, 12, 2, 2}));
    EXPECT_EQ(matrixCellRect(left.matrix, 8), (ScreenRect{15, 18, 2, 2}));
    // Halves round away from zero.
    EXPECT_DOUBLE_EQ(NotchWingGeometry::of(70, 25, NotchIslandWingSide::left, 12).matrix.y, 9);
}

}  // namespace
}  // namespace quaylight
