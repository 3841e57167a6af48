#include <gtest/gtest.h>

#include "Quaylight/notch/layers/ActivityGroupModel.h"
#include "Quaylight/notch/model/ManualNotchScheduler.h"

namespace quaylight {
namespace {

TEST(ActivityMatrix, StillCellsBrightenAlongTheDiagonal) {
    ActivityMatrixModel matrix(3, false, AgentActivityMatrixPattern::ring);
    for (int cell = 0; cell < 9; ++cell) {
        const float expected = 0.62f + static_cast<float>(matrix.diagonal(cell)) * 0.035f;
        EXPECT_DOUBLE_EQ(matrix.cellOpacityAt(cell, 0), static_cast<double>(expected)) << cell;
    }
    // Row 0 (the bottom row) takes colour 0, the top row colour 2.
    EXPECT_EQ(matrix.colorIndex(0), 0);
    EXPECT_EQ(matrix.colorIndex(5), 1);
    EXPECT_EQ(matrix.colorIndex(8), 2);
    ActivityMatrixModel twoColours(2, false, AgentActivityMatrixPattern::ring);
    EXPECT_EQ(twoColours.colorIndex(8), 1);
}

TEST(ActivityMatrix, MirroringTurnsTheDiagonalAround) {
    ActivityMatrixModel plain(3, false, AgentActivityMatrixPattern::ring);
    ActivityMatrixModel mirrored(3, true, AgentActivityMatrixPattern::spark);
    EXPECT_EQ(plain.diagonal(0), 0);
    EXPECT_EQ(plain.diagonal(2), 2);
    EXPECT_EQ(mirrored.diagonal(0), 2);
    EXPECT_EQ(mirrored.diagonal(2), 0);
    EXPECT_EQ(mirrored.diagonal(6), 4);
}

struct StillCase {
    bool working;
    bool increaseContrast;
    double base;
};

TEST(ActivityMatrix, StillMatrixUnderReducedMotionAndContrast) {
    const StillCase cases[] = {{true, false, 0.82}, {true, true, 0.9}, {false, false, 0.62}, {false, true, 0.76}};
    for (const auto& c : cases) {
        ActivityMatrixModel matrix(3, false, AgentActivityMatrixPattern::ring);
        matrix.update(0, c.working, true, c.increaseContrast, false);
        EXPECT_FALSE(matrix.isAnimating());
        EXPECT_DOUBLE_EQ(matrix.cellOpacityAt(0, 5), static_cast<double>(static_cast<float>(c.base)));
        EXPECT_DOUBLE_EQ(matrix.cellOpacityAt(8, 5),
                         static_cast<double>(std::min(1.0f, static_cast<float>(c.base) + 4 * 0.035f)));
    }
}

TEST(ActivityMatrix, WithoutColourEachProviderLightsItsPattern) {
    ActivityMatrixModel codex(3, false, AgentActivityMatrixPattern::ring);
    ActivityMatrixModel claude(3, true, AgentActivityMatrixPattern::spark);
    for (auto* matrix : {&codex, &claude}) matrix->update(0, true, false, false, true);
    for (int cell = 0; cell < 9; ++cell) {
        const double t = 0.3 + cell * 0.05;
        EXPECT_EQ(codex.cellOpacityAt(cell, t) > 0, cell != 4) << cell;
        EXPECT_EQ(claude.cellOpacityAt(cell, t) > 0, cell % 2 == 0) << cell;
    }
    // Still, too.
    codex.update(0, false, false, false, true);
    EXPECT_EQ(codex.cellOpacityAt(4, 1), 0);
    EXPECT_GT(codex.cellOpacityAt(3, 1), 0.6);
}

TEST(ActivityMatrix, WaveRunsEachDiagonalAFifthOfThePeriodAhead) {
    ActivityMatrixModel matrix(3, false, AgentActivityMatrixPattern::ring);
    matrix.update(10, true, false, false, false);
    ASSERT_TRUE(matrix.isAnimating());
    // Cell 0 (diagonal 0) starts low and peaks 0.22 of the period in.
    EXPECT_NEAR(matrix.cellOpacityAt(0, 10), 0.2, 1e-9);
    EXPECT_NEAR(matrix.cellOpacityAt(0, 10 + 0.22 * 0.95), 1.0, 1e-6);
    EXPECT_NEAR(matrix.cellOpacityAt(0, 10 + 0.95), 0.2, 1e-6);
    // Diagonal d shows at t what diagonal 0 shows at t + d × 0.19 s.
    for (double t : {10.05, 10.4, 11.3}) {
        EXPECT_NEAR(matrix.cellOpacityAt(8, t), matrix.cellOpacityAt(0, t + 4 * 0.19), 1e-9);
        EXPECT_NEAR(matrix.cellOpacityAt(1, t), matrix.cellOpacityAt(3, t), 1e-12);  // same diagonal
    }
    // A running wave is not restarted; a new look restarts it.
    matrix.update(10.3, true, false, false, false);
    EXPECT_NEAR(matrix.cellOpacityAt(0, 10.95), 0.2, 1e-6);
    matrix.update(10.3, true, false, true, false);
    EXPECT_NEAR(matrix.cellOpacityAt(0, 10.3), 0.42, 1e-9);  // brighter low with increased contrast
}

TEST(RollingCount, ShowsTheNumberCappedAndNeverNegative) {
    EXPECT_EQ(RollingCountModel::text(120), "99+");
    EXPECT_EQ(RollingCountModel::text(99), "99");
    ManualNotchScheduler clock;
    RollingCountModel count(clock);
    count.update(-3, false, true);
    ASSERT_TRUE(count.current());
    EXPECT_EQ(count.current()->text, "0");
    EXPECT_FALSE(count.isMovingAt(clock.now()));  // the first number comes without a roll
    count.update(120, false, true);
    EXPECT_EQ(count.current()->text, "99+");
}

struct RollCase {
    int from;
    int to;
    bool reduceMotion;
    double duration;
    double newFrom;  // the incoming number's offset at the start, y upwards
    double oldTo;    // the outgoing number's offset at the end
};

TEST(RollingCount, RollsUpOrDownAndCrossFadesUnderReducedMotion) {
    const RollCase cases[] = {
        {0, 3, false, 0.2, -16, 16},  // rises from below, the old leaves upwards
        {5, 2, false, 0.2, 16, -16},  // the other way round
        {99, 120, false, 0.2, -16, 16},
        {0, 3, true, 0.14, 0, 0},  // a cross-fade only
    };
    for (const auto& c : cases) {
        ManualNotchScheduler clock;
        RollingCountModel count(clock);
        count.setHeight(16);
        count.update(c.from, c.reduceMotion, true);
        count.update(c.to, c.reduceMotion, true);
        const double start = clock.now();
        ASSERT_EQ(count.outgoing().size(), 1u);
        EXPECT_DOUBLE_EQ(count.current()->translationY.valueAt(start), c.newFrom);
        EXPECT_DOUBLE_EQ(count.current()->opacity.valueAt(start), 0);
        EXPECT_DOUBLE_EQ(count.outgoing()[0].translationY.valueAt(start + c.duration), c.oldTo);
        EXPECT_DOUBLE_EQ(count.current()->translationY.duration, c.duration);
        EXPECT_EQ(count.current()->translationY.curve,
                  c.reduceMotion ? TimingCurve::fastOut() : TimingCurve::strongEaseInOut());
        EXPECT_TRUE(count.isMovingAt(start + c.duration / 2));
        clock.advance(c.duration);
        EXPECT_TRUE(count.outgoing().empty());
        EXPECT_FALSE(count.isMovingAt(clock.now()));
        EXPECT_EQ(count.current()->value, std::max(0, c.to));
    }
}

TEST(RollingCount, ASecondChangeSettlesTheFirstRollAtOnce) {
    ManualNotchScheduler clock;
    RollingCountModel count(clock);
    count.update(1, false, true);
    count.update(2, false, true);
    clock.advance(0.05);
    count.update(3, false, true);
    ASSERT_EQ(count.outgoing().size(), 1u);
    EXPECT_EQ(count.outgoing()[0].value, 2);
    // The settled "2" leaves from where it was put: fully shown, in place.
    EXPECT_DOUBLE_EQ(count.outgoing()[0].opacity.valueAt(clock.now()), 1);
    EXPECT_DOUBLE_EQ(count.outgoing()[0].translationY.valueAt(clock.now()), 0);
    // The first roll's clean-up finds a newer generation and leaves the second alone.
    clock.advance(0.16);
    EXPECT_EQ(count.outgoing().size(), 1u);
    clock.advance(0.05);
    EXPECT_TRUE(count.outgoing().empty());
    count.reset();
    EXPECT_FALSE(count.currentValue());
}

class GroupTest : public ::testing::Test {
protected:
    ManualNotchScheduler clock;
    ActivityGroupModel group{clock, 3, false, AgentActivityMatrixPattern::ring};
    int ended = 0;
    void SetUp() override {
        group.onCompletionEnded = [this] { ++ended; };
    }
};

TEST_F(GroupTest, CompletionInHoldOutThenEndsOnce) {
    group.latestCount = 0;
    group.count.update(0, false, true);
    group.beginCompletion();
    const double start = clock.now();
    EXPECT_TRUE(group.isPresentingCompletion());
    EXPECT_DOUBLE_EQ(group.rootOpacity, 1);
    // The check mark pops in from 0.9 over 0.16 s; the matrix and the zero count fade out.
    EXPECT_DOUBLE_EQ(group.completionScale.valueAt(start), 0.9);
    EXPECT_DOUBLE_EQ(group.completionOpacity.valueAt(start + 0.16), 1);
    EXPECT_DOUBLE_EQ(group.matrix.opacity.valueAt(start + 0.16), 0);
    EXPECT_DOUBLE_EQ(group.count.opacity.valueAt(start + 0.16), 0);
    clock.advance(0.87);
    EXPECT_FALSE(group.completionOpacity.isRunningAt(clock.now()));
    EXPECT_DOUBLE_EQ(group.completionOpacity.valueAt(clock.now()), 1);  // held
    clock.advance(0.01);  // 0.88 s: the way out begins
    EXPECT_TRUE(group.completionOpacity.isRunningAt(clock.now()));
    EXPECT_DOUBLE_EQ(group.completionScale.to, 0.96);
    EXPECT_DOUBLE_EQ(group.completionOpacity.duration, 0.18);
    EXPECT_EQ(ended, 0);
    clock.advance(0.179);
    EXPECT_EQ(ended, 0);
    clock.advance(0.001);
    EXPECT_EQ(ended, 1);
    EXPECT_FALSE(group.isPresentingCompletion());
    EXPECT_DOUBLE_EQ(group.rootOpacity, 0);
    clock.advance(5);
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(clock.pendingCount(), 0u);
}

TEST_F(GroupTest, CompletionUnderReducedMotionNeitherPopsNorShrinks) {
    group.latestCount = 2;
    group.latestWorking = true;
    group.latestOptions.reduceMotion = true;
    group.beginCompletion();
    EXPECT_DOUBLE_EQ(group.completionScale.valueAt(clock.now()), 1);
    EXPECT_DOUBLE_EQ(group.count.opacity.to, 1);  // a live count stays
    clock.advance(0.88);
    EXPECT_DOUBLE_EQ(group.completionScale.to, 1.0);
    // The still, brighter matrix comes back for the working sessions.
    EXPECT_FALSE(group.matrix.isAnimating());
    EXPECT_NEAR(group.matrix.cellOpacityAt(0, clock.now()), 0.82, 1e-6);
    clock.advance(0.18);
    EXPECT_EQ(ended, 1);
    EXPECT_DOUBLE_EQ(group.rootOpacity, 1);
}

TEST_F(GroupTest, WaveReturnsAfterACompletionWithWorkingSessions) {
    group.latestCount = 1;
    group.latestWorking = true;
    group.matrix.update(clock.now(), true, false, false, false);
    group.beginCompletion();
    EXPECT_FALSE(group.matrix.isAnimating());
    clock.advance(0.88);
    EXPECT_TRUE(group.matrix.isAnimating());
}

TEST_F(GroupTest, SecondCompletionRestartsFromTheShownValues) {
    group.beginCompletion();
    clock.advance(0.5);
    group.beginCompletion();
    EXPECT_DOUBLE_EQ(group.completionOpacity.valueAt(clock.now()), 1);  // from the shown value
    clock.advance(0.5);  // the first sequence's end step is stale now
    EXPECT_TRUE(group.isPresentingCompletion());
    EXPECT_DOUBLE_EQ(group.completionOpacity.valueAt(clock.now()), 1);
    clock.advance(0.56);
    EXPECT_EQ(ended, 1);
}

TEST_F(GroupTest, HideDuringTheHoldFreezesTheMarkAndNoEndRuns) {
    group.beginCompletion();
    clock.advance(0.08);
    const double shown = group.completionOpacity.valueAt(clock.now());
    group.prepareForHide();
    EXPECT_FALSE(group.isPresentingCompletion());
    clock.advance(2);
    EXPECT_DOUBLE_EQ(group.completionOpacity.valueAt(clock.now()), shown);
    EXPECT_EQ(ended, 0);
}

TEST_F(GroupTest, SteadyAndReset) {
    group.latestCount = 3;
    group.setSteadyLayers();
    EXPECT_DOUBLE_EQ(group.rootOpacity, 1);
    EXPECT_DOUBLE_EQ(group.matrix.opacity.valueAt(clock.now()), 1);
    EXPECT_DOUBLE_EQ(group.completionOpacity.valueAt(clock.now()), 0);
    group.latestCount = 0;
    group.setSteadyLayers();
    EXPECT_DOUBLE_EQ(group.rootOpacity, 0);
    group.latestCount = 2;
    group.count.update(2, false, true);
    group.beginCompletion();
    group.reset();
    EXPECT_EQ(group.latestCount, 0);
    EXPECT_FALSE(group.isPresentingCompletion());
    EXPECT_FALSE(group.count.currentValue());
    EXPECT_DOUBLE_EQ(group.rootOpacity, 0);
    clock.advance(2);
    EXPECT_EQ(ended, 0);
}

}  // namespace
}  // namespace quaylight
