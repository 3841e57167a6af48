// The painted wing checked pixel by pixel, and rendered into the gallery for a person to
// look at: steady, working, 99+, the completion, increased contrast, no colour, the
// entrance and the retraction, and the top of a screen with and without a notch.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QPainter>

#include "Quaylight/design/theme/AgentActivityPalette.h"
#include "Quaylight/design/theme/PremiumTheme.h"
#include "Quaylight/notch/controller/NotchIslandController.h"
#include "Quaylight/notch/model/ManualNotchScheduler.h"
#include "Quaylight/notch/platform/ScreenGeometry.h"
#include "Quaylight/notch/widgets/NotchWingPainter.h"
#include "TidewatchKit/platform/SimulatedNotch.h"
#include "tests/Quaylight/notch/support/FakeWingSurface.h"

namespace quaylight {
namespace {

const ScreenRect leftFrame{482, 768, 70, 32};
const ScreenRect rightFrame{728, 768, 70, 32};

class PaintedWing : public ::testing::Test {
protected:
    ManualNotchScheduler clock;
    FakeWingSurface leftSurface, rightSurface;
    NotchWingModel left{NotchIslandWingSide::left, clock, leftSurface};
    NotchWingModel right{NotchIslandWingSide::right, clock, rightSurface};
    TidewatchAccessibilityOptions options;

    void present(NotchWingModel& wing, const NotchIslandAgentState& state) {
        wing.present(&wing == &left ? leftFrame : rightFrame, 12, state, options);
    }
    QImage render(const NotchWingModel& wing, double scale = 1) const {
        QImage image(QSize(70, 32) * scale, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.scale(scale, scale);
        paintNotchWing(painter, wing, clock.now(), QSizeF(70, 32), true);
        return image;
    }
    // Both wings side by side on a grey ground, four times their size, for the gallery.
    void save(const char* name) const {
        const double scale = 4;
        QImage image(QSize(2 * 70 + 24, 32 + 16) * scale, QImage::Format_ARGB32_Premultiplied);
        image.fill(PremiumTheme::popupBorder());
        QPainter painter(&image);
        painter.scale(scale, scale);
        painter.translate(8, 8);
        paintNotchWing(painter, left, clock.now(), QSizeF(70, 32), true);
        painter.translate(70 + 8, 0);
        paintNotchWing(painter, right, clock.now(), QSizeF(70, 32), true);
        painter.end();
        saveImage(image, name);
    }
    static void saveImage(const QImage& image, const char* name) {
        QDir().mkpath(QStringLiteral(QUAYLIGHT_GALLERY_DIR));
        ASSERT_TRUE(image.save(QStringLiteral(QUAYLIGHT_GALLERY_DIR "/") + QString::fromUtf8(name)));
    }
};

bool isOpaqueBlack(QRgb pixel) { return qAlpha(pixel) == 255 && qRed(pixel) < 3 && qGreen(pixel) < 3 && qBlue(pixel) < 3; }

TEST_F(PaintedWing, OnlyTheOuterBottomCornerIsRounded) {
    present(left, {2, false, 0});
    present(right, {2, false, 0});
    clock.advance(1);
    const QImage l = render(left);
    const QImage r = render(right);
    // Left wing: its outer corner is bottom left; top corners and the notch side stay square.
    EXPECT_TRUE(isOpaqueBlack(l.pixel(0, 0)));
    EXPECT_TRUE(isOpaqueBlack(l.pixel(69, 0)));
    EXPECT_TRUE(isOpaqueBlack(l.pixel(69, 31)));
    EXPECT_EQ(qAlpha(l.pixel(0, 31)), 0);
    EXPECT_EQ(qAlpha(l.pixel(2, 29)), 0);
    // Right wing: the mirror image.
    EXPECT_TRUE(isOpaqueBlack(r.pixel(69, 0)));
    EXPECT_TRUE(isOpaqueBlack(r.pixel(0, 0)));
    EXPECT_TRUE(isOpaqueBlack(r.pixel(0, 31)));
    EXPECT_EQ(qAlpha(r.pixel(69, 31)), 0);
}

TEST_F(PaintedWing, IncreasedContrastOutlinesAllButTheNotchEdge) {
    options.increaseContrast = true;
    present(left, {1, false, 0});
    clock.advance(1);
    const QImage image = render(left);
    const QRgb outer = image.pixel(0, 16);
    const QRgb top = image.pixel(35, 0);
    const QRgb bottom = image.pixel(35, 31);
    for (QRgb stroked : {outer, top, bottom}) EXPECT_GT(qGray(stroked), 20) << std::hex << stroked;
    EXPECT_TRUE(isOpaqueBlack(image.pixel(69, 16)));  // no stroke on the notch edge
    EXPECT_TRUE(isOpaqueBlack(image.pixel(69, 2)));
    options.increaseContrast = false;
    present(left, {1, false, 0});
    EXPECT_TRUE(isOpaqueBlack(render(left).pixel(0, 16)));
}

TEST_F(PaintedWing, BottomRowTakesTheFirstColour) {
    present(left, {1, false, 0});
    clock.advance(1);
    // Render at 4 × so that a cell's centre is well inside it.
    const QImage image = render(left, 4);
    // Cell 0 (bottom left) spans x 9–11 and, upwards, y 12–14: widget y 18–20.
    auto colourAt = [&](double x, double y) { return QColor(image.pixel(int(x * 4), int(y * 4))); };
    const QColor bottom = colourAt(10, 19);
    const QColor top = colourAt(10, 13);  // cell 6, the top row
    const auto& palette = PremiumTheme::codexActivity();
    auto matches = [](const QColor& seen, const QColor& colour, double opacity) {
        return std::abs(seen.red() - colour.red() * opacity) < 4 && std::abs(seen.green() - colour.green() * opacity) < 4 &&
               std::abs(seen.blue() - colour.blue() * opacity) < 4;
    };
    EXPECT_TRUE(matches(bottom, palette[0], 0.62)) << bottom.name().toStdString();
    EXPECT_TRUE(matches(top, palette[2], 0.62 + 2 * 0.035)) << top.name().toStdString();
}

TEST_F(PaintedWing, Gallery) {
    present(left, {2, true, 0});
    present(right, {1, true, 0});
    clock.advance(1.3);
    save("working.png");

    present(left, {2, false, 0});
    present(right, {2, false, 0});
    clock.advance(1);
    save("steady-2.png");

    present(left, {120, true, 0});
    present(right, {99, false, 0});
    clock.advance(1);
    save("count-99-plus.png");

    present(left, {0, false, 1});
    present(right, {1, true, 1});
    clock.advance(0.4);
    save("completion-hold.png");
    clock.advance(2);

    options.increaseContrast = true;
    present(left, {3, true, 0});
    present(right, {1, false, 1});
    clock.advance(0.4);
    save("increased-contrast.png");
    clock.advance(2);

    options = {};
    options.differentiateWithoutColor = true;
    left.cut();
    right.cut();
    present(left, {2, false, 0});
    present(right, {2, false, 0});
    clock.advance(1);
    save("no-colour.png");

    options = {};
    left.cut();
    right.cut();
    present(left, {1, true, 0});
    present(right, {1, true, 0});
    clock.advance(0.06);
    save("entrance.png");

    clock.advance(1);
    present(left, {0, false, 1});
    present(right, {0, false, 1});
    clock.advance(1.06 + 0.025);
    EXPECT_TRUE(left.isRetracting());
    save("retraction.png");
}

// The top of a 1280-point screen: the notch (when simulated) and the wings the controller
// places beside it, at twice their size around the middle.
QImage screenTop(NotchIslandController& controller, bool notch, double time) {
    const double scale = 2;
    const QRectF shown(340, 0, 600, 48);  // the middle of the strip
    QImage image((shown.size() * scale).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(PremiumTheme::panelTop());
    QPainter painter(&image);
    painter.scale(scale, scale);
    painter.translate(-shown.topLeft());
    painter.fillRect(QRectF(0, 0, 1280, 32), PremiumTheme::popupFill());  // the top bar
    if (notch) painter.fillRect(QRectF(540, 0, 200, 32), black());
    for (NotchWingModel* wing : {&controller.leftWing(), &controller.rightWing()}) {
        if (!wing->isPanelVisible()) continue;
        const QRect at = toQtGeometry(wing->frame(), 800);
        painter.save();
        painter.translate(at.topLeft());
        paintNotchWing(painter, *wing, time, QSizeF(at.size()), true);
        painter.restore();
    }
    return image;
}

TEST(ScreenTopStrip, WithASimulatedNotchAndWithout) {
    for (bool notch : {true, false}) {
        ManualNotchScheduler clock;
        FakeWingSurface leftSurface, rightSurface;
        std::optional<NotchSize> size;
        if (notch) size = NotchSize{200, 32};
        const auto screen = linuxScreenContext({0, 0, 1280, 800}, true, false, size);
        NotchIslandController controller(clock, leftSurface, rightSurface,
                                         {{}, [screen] { return std::vector{screen}; }, {}, {}});
        controller.latestPresentation = {{2, true, 0}, {1, false, 0}};
        const auto disposition = controller.presentLatest();
        clock.advance(1.1);
        EXPECT_EQ(disposition, notch ? NotchIslandDisposition::island : NotchIslandDisposition::menuBarFallback);
        EXPECT_EQ(leftSurface.visible, notch);
        EXPECT_EQ(rightSurface.visible, notch);
        const QImage image = screenTop(controller, notch, clock.now());
        QDir().mkpath(QStringLiteral(QUAYLIGHT_GALLERY_DIR));
        ASSERT_TRUE(image.save(QStringLiteral(QUAYLIGHT_GALLERY_DIR "/") +
                               (notch ? QStringLiteral("screen-top-notch.png") : QStringLiteral("screen-top-no-notch.png"))));
    }
}

}  // namespace
}  // namespace quaylight
