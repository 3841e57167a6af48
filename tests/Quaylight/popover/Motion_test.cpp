// The popover's motion, driven through the animations' own progress rather than waiting:
// the reveal's scale and offset, the card's fade and the row's hover fill, each with and
// without reduced motion.

#include <gtest/gtest.h>

#include <QApplication>
#include <QVariantAnimation>

#include "Quaylight/design/controls/Surface.h"
#include "Quaylight/design/platform/FakeReduceMotion.h"
#include "Quaylight/popover/frame/HoverTint.h"
#include "Quaylight/popover/frame/RevealEffect.h"
#include "Quaylight/popover/model/RevealPose.h"
#include "tests/Quaylight/design/support/Rendering.h"
#include "tests/Quaylight/popover/PopoverHarness.h"
#include "tests/Quaylight/popover/Pointer.h"
#include "tests/QuaylightKit/Listeners.h"

namespace quaylight {
namespace {

using namespace testsupport;
using test::hover;
using test::PopoverHarness;

TEST(RevealPose, FollowsTheRevealUnlessMotionIsReduced) {
    struct Case {
        double progress;
        bool reduce;
        RevealPose pose;
    };
    const Case cases[] = {
        {0.0, false, {0.985, -5.0}},  {0.5, false, {0.9925, -2.5}}, {1.0, false, {1.0, 0.0}},
        {-0.2, false, {0.985, -5.0}}, {1.3, false, {1.0, 0.0}},     {0.0, true, {1.0, 0.0}},
        {0.5, true, {1.0, 0.0}},
    };
    for (const auto& c : cases) {
        const auto pose = revealPose(c.progress, c.reduce);
        EXPECT_DOUBLE_EQ(pose.scale, c.pose.scale) << c.progress << " " << c.reduce;
        EXPECT_DOUBLE_EQ(pose.offsetY, c.pose.offsetY) << c.progress << " " << c.reduce;
    }
}

// Alpha at a point of the panel's left edge, which the concealed pose pulls inwards.
int edgeAlpha(PopoverRootView& root) {
    const QImage image = test::render(root);
    return qAlpha(image.pixel(2, PopoverRootView::height / 2));
}

TEST(PopoverMotion, TheContentScalesAndRisesWithTheRevealsProgress) {
    PopoverHarness h;
    h.inputs.state = resultOf({makeListener(10, 3000)});
    h.apply();
    h.show();
    auto* effect = h.root->revealEffect();
    EXPECT_FALSE(effect->isEnabled());  // revealed: painted directly
    EXPECT_EQ(edgeAlpha(*h.root), 255);

    h.root->setRevealProgress(0);
    EXPECT_TRUE(effect->isEnabled());
    EXPECT_DOUBLE_EQ(effect->pose().scale, 0.985);
    EXPECT_DOUBLE_EQ(effect->pose().offsetY, -5.0);
    // 0.985 about the top centre: the left edge moves in by about 5 points.
    EXPECT_EQ(edgeAlpha(*h.root), 0);

    test::saveToGallery(test::render(*h.root, 2.0), QStringLiteral("reveal-concealed"));

    h.root->setRevealProgress(0.5);
    EXPECT_DOUBLE_EQ(effect->pose().scale, 0.9925);
    EXPECT_DOUBLE_EQ(effect->pose().offsetY, -2.5);
    h.root->setRevealProgress(1);
    EXPECT_FALSE(effect->isEnabled());
    EXPECT_EQ(edgeAlpha(*h.root), 255);
}

TEST(PopoverMotion, WithReducedMotionTheContentNeverMoves) {
    PopoverHarness h;
    installReduceMotion(&h.window, std::make_shared<FakeReduceMotion>(true));
    h.inputs.state = resultOf({makeListener(10, 3000)});
    h.apply();
    h.show();
    h.root->setRevealProgress(0);
    EXPECT_FALSE(h.root->revealEffect()->isEnabled());
    EXPECT_EQ(edgeAlpha(*h.root), 255);
    // Still deaf to the pointer until revealed.
    h.update([](PopoverInputs& i) { i.isRevealed = false; });
    EXPECT_TRUE(h.root->findChild<Surface*>()->testAttribute(Qt::WA_TransparentForMouseEvents));
}

QVariantAnimation* cardFade(PopoverHarness& h) {
    return h.root->overlay()->findChild<QVariantAnimation*>(QStringLiteral("cardFade"));
}

TEST(PopoverMotion, TheCardFadesInAndOutOverAFifthOfASecond) {
    PopoverHarness h;
    h.inputs.state = resultOf({makeListener(10, 3000)});
    h.apply();
    h.show();
    auto* overlay = h.root->overlay();
    h.update([](PopoverInputs& i) { i.pending.stopVisible = StopVisibleRequest{"x", 1, {}}; });
    auto* fade = cardFade(h);
    ASSERT_NE(fade, nullptr);
    EXPECT_EQ(fade->duration(), 160);
    EXPECT_EQ(fade->easingCurve().type(), QEasingCurve::OutQuad);
    EXPECT_TRUE(overlay->isPresented());
    EXPECT_TRUE(overlay->isVisible());
    EXPECT_EQ(overlay->opacity(), 0.0);
    fade->setCurrentTime(80);
    EXPECT_GT(overlay->opacity(), 0.5);  // ease-out: past half way at half time
    EXPECT_LT(overlay->opacity(), 1.0);
    fade->setCurrentTime(160);
    EXPECT_EQ(overlay->opacity(), 1.0);
    EXPECT_FALSE(overlay->graphicsEffect()->isEnabled());

    // Cancelled: gone for clicks and keys at once, on screen until the fade ends.
    h.key(Qt::Key_Escape);
    EXPECT_FALSE(overlay->isPresented());
    EXPECT_TRUE(overlay->isVisible());
    EXPECT_TRUE(overlay->testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_FALSE(overlay->hasFocus());
    fade->setCurrentTime(80);
    EXPECT_GT(overlay->opacity(), 0.0);
    fade->setCurrentTime(160);
    EXPECT_EQ(overlay->opacity(), 0.0);
    EXPECT_FALSE(overlay->isVisible());

    // A card asked for again comes back from wherever the fade stood.
    h.update([](PopoverInputs& i) { i.pending.stopVisible = StopVisibleRequest{"x", 1, {}}; });
    EXPECT_TRUE(overlay->isVisible());
    EXPECT_FALSE(overlay->testAttribute(Qt::WA_TransparentForMouseEvents));
    fade->setCurrentTime(160);
    EXPECT_EQ(overlay->opacity(), 1.0);
}

TEST(PopoverMotion, TheRowsHoverFillEasesInAndOut) {
    for (bool reduce : {false, true}) {
        PopoverHarness h;
        installReduceMotion(&h.window, std::make_shared<FakeReduceMotion>(reduce));
        h.inputs.state = resultOf({makeListener(10, 3000), makeListener(11, 4000)});
        h.apply();
        h.show();
        auto* row = h.list()->row(h.rowIDs()[1]);  // not the selected one
        ASSERT_NE(row, nullptr);
        hover(*row, true);
        EXPECT_TRUE(row->hover().isHovering());
        auto* animation = row->findChild<QVariantAnimation*>(QStringLiteral("hoverTint"));
        if (reduce) {
            EXPECT_EQ(row->hover().value(), 1.0);
            EXPECT_EQ(animation, nullptr);
            hover(*row, false);
            EXPECT_EQ(row->hover().value(), 0.0);
            continue;
        }
        ASSERT_NE(animation, nullptr);
        EXPECT_EQ(animation->duration(), HoverTint::durationMs);
        EXPECT_EQ(animation->easingCurve().type(), QEasingCurve::OutQuad);
        EXPECT_EQ(row->hover().value(), 0.0);
        const int paints = row->paintCount();
        animation->setCurrentTime(70);
        EXPECT_GT(row->hover().value(), 0.5);
        EXPECT_LT(row->hover().value(), 1.0);
        animation->setCurrentTime(140);
        EXPECT_EQ(row->hover().value(), 1.0);
        QApplication::processEvents();
        EXPECT_GT(row->paintCount(), paints);
        hover(*row, false);
        animation->setCurrentTime(140);
        EXPECT_EQ(row->hover().value(), 0.0);
    }
}

}  // namespace
}  // namespace quaylight
