#include <gtest/gtest.h>

#include <QPainter>
#include <cmath>
#include <limits>

#include "Quaylight/design/brand/MenuBarIcon.h"
#include "Quaylight/design/brand/PlugMark.h"
#include "support/Rendering.h"

namespace quaylight {
namespace {

void expectRect(const QRectF& actual, const QRectF& expected) {
    EXPECT_NEAR(actual.left(), expected.left(), 1e-9);
    EXPECT_NEAR(actual.top(), expected.top(), 1e-9);
    EXPECT_NEAR(actual.width(), expected.width(), 1e-9);
    EXPECT_NEAR(actual.height(), expected.height(), 1e-9);
}

TEST(PlugMarkGeometry, HousingIsTheDShapeOfTheDesign) {
    const QPainterPath& housing = PlugMarkGeometry::housing();
    ASSERT_GT(housing.elementCount(), 4);
    EXPECT_EQ(QPointF(housing.elementAt(0)), QPointF(11.4, 6.4));
    EXPECT_TRUE(housing.elementAt(0).isMoveTo());
    EXPECT_EQ(QPointF(housing.elementAt(1)), QPointF(14.8, 6.4));
    // Flat back at x 9.2, round front through (20.4, 12), top and bottom at y 6.4 and 17.6.
    expectRect(housing.boundingRect(), QRectF(9.2, 6.4, 11.2, 11.2));
    EXPECT_TRUE(housing.contains(QPointF(20.3, 12.0)));
    EXPECT_FALSE(housing.contains(QPointF(20.5, 12.0)));
    // The back corners are rounded with radius 2.2: the corner point itself lies outside.
    EXPECT_FALSE(housing.contains(QPointF(9.3, 6.5)));
    EXPECT_TRUE(housing.contains(QPointF(9.3, 12.0)));
    // The front arc bulges right of its centre only: the square corner at (20.4, 6.4) is out.
    EXPECT_FALSE(housing.contains(QPointF(20.0, 6.8)));
    EXPECT_EQ(&housing, &PlugMarkGeometry::housing());
}

TEST(PlugMarkGeometry, BoundsGrowByHalfTheOutlineExceptAtTheProngTips) {
    expectRect(PlugMarkGeometry::bounds(2.5), QRectF(3.6, 5.15, 18.05, 13.7));
    expectRect(PlugMarkGeometry::bounds(2.1), QRectF(3.6, 5.35, 17.85, 13.3));
}

TEST(PlugMarkGeometry, StatusImageFitTakesTheWidthAndCentresVertically) {
    const auto fit = PlugMarkGeometry::fittingTransform({2.5, 2.1, 8.7}, QSizeF(18, 14));
    const qreal scale = 18 / 18.05;
    EXPECT_NEAR(fit.scale, scale, 1e-12);
    EXPECT_NEAR(fit.transform.m11(), scale, 1e-12);
    EXPECT_NEAR(fit.transform.m22(), scale, 1e-12);
    EXPECT_NEAR(fit.transform.dx(), (18 - 18.05 * scale) / 2 - 3.6 * scale, 1e-12);
    EXPECT_NEAR(fit.transform.dy(), (14 - 13.7 * scale) / 2 - 5.15 * scale, 1e-12);
    const QRectF placed = fit.transform.mapRect(PlugMarkGeometry::bounds(2.5));
    EXPECT_NEAR(placed.left(), 0, 1e-9);
    EXPECT_NEAR(placed.right(), 18, 1e-9);
    EXPECT_NEAR(placed.top(), 14 - placed.bottom(), 1e-9);
}

TEST(PlugMarkGeometry, WideSpacesFitByHeightAndTallOnesByWidth) {
    const PlugCut cut{2.1, 2.0, 8.9};
    const QRectF box = PlugMarkGeometry::bounds(cut.stroke);
    const QRectF wide = PlugMarkGeometry::fittingTransform(cut, QSizeF(200, 20)).transform.mapRect(box);
    EXPECT_NEAR(wide.height(), 20, 1e-9);
    EXPECT_NEAR(wide.center().x(), 100, 1e-9);
    const QRectF tall = PlugMarkGeometry::fittingTransform(cut, QSizeF(30, 300)).transform.mapRect(box);
    EXPECT_NEAR(tall.width(), 30, 1e-9);
    EXPECT_NEAR(tall.center().y(), 150, 1e-9);
}

TEST(PlugMarkGeometry, ProngsAndLiveSquareSitWhereTheDesignPutsThem) {
    const QPainterPath prongs = PlugMarkGeometry::prongs({2.1, 2.0, 8.9}, false);
    expectRect(prongs.boundingRect(), QRectF(3.6, 8.9, 6.2, 13.1 + 2.0 - 8.9));
    // 8.9 + 2.0 = 10.9: the prongs lie symmetrically about the centre line y = 12.
    EXPECT_NEAR((8.9 + 15.1) / 2, 12.0, 1e-12);
    expectRect(PlugMarkGeometry::statusProngs().boundingRect(), QRectF(3.6, 8.7, 6.2, 13.1 + 2.1 - 8.7));
    EXPECT_NEAR(PlugMarkGeometry::liveIndicator().center().x(), 14.8, 1e-12);
    EXPECT_NEAR(PlugMarkGeometry::liveIndicator().center().y(), 12.0, 1e-12);
    EXPECT_TRUE(PlugMarkGeometry::prongs({2.1, 2.0, 8.9}, true).contains(QPointF(14.8, 12.0)));
    EXPECT_FALSE(prongs.contains(QPointF(14.8, 12.0)));
}

TEST(PlugMark, LiveDiffersOnlyByTheSquareAtTheFrontArcsCentre) {
    const PlugCut cut{2.1, 2.0, 8.9};
    PlugMark idle(false, cut);
    PlugMark live(true, cut);
    idle.resize(168, 120);
    live.resize(168, 120);
    const QImage a = test::render(idle);
    const QImage b = test::render(live);
    const auto fit = PlugMarkGeometry::fittingTransform(cut, QSizeF(168, 120));
    const QRect square = fit.transform.mapRect(PlugMarkGeometry::liveIndicator()).toAlignedRect().adjusted(-1, -1, 1, 1);
    int differentOutside = 0, differentInside = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (a.pixel(x, y) == b.pixel(x, y)) continue;
            (square.contains(x, y) ? differentInside : differentOutside)++;
        }
    }
    EXPECT_EQ(differentOutside, 0);
    EXPECT_GT(differentInside, square.width() * square.height() / 2);
}

TEST(MenuBarIcon, SnapsTheMarksTopLeftCornerToADevicePixel) {
    const auto fit = PlugMarkGeometry::fittingTransform({MenuBarIcon::statusStroke, 2.1, 8.7}, MenuBarIcon::imageSize);
    const QRectF box = PlugMarkGeometry::bounds(MenuBarIcon::statusStroke);
    for (qreal scale : {1.0, 2.0, 3.0, -2.0}) {
        const QPointF corner = MenuBarIcon::snappedToPixels(fit, scale).map(box.topLeft());
        const qreal f = std::abs(scale);
        EXPECT_NEAR(corner.x() * f, std::round(corner.x() * f), 1e-9) << scale;
        EXPECT_NEAR(corner.y() * f, std::round(corner.y() * f), 1e-9) << scale;
        EXPECT_LT(std::abs(corner.y() - fit.transform.map(box.topLeft()).y()), 0.5 / f + 1e-9);
    }
    EXPECT_EQ(MenuBarIcon::snappedToPixels(fit, 0), fit.transform);
    EXPECT_EQ(MenuBarIcon::snappedToPixels(fit, std::numeric_limits<qreal>::quiet_NaN()), fit.transform);
}

TEST(MenuBarIcon, DrawsInOneInkAndNothingWithoutAPainter) {
    QImage image(QSize(36, 28), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(2.0);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        EXPECT_TRUE(MenuBarIcon::drawStatusMark(painter, MenuBarIcon::imageSize, Qt::white));
    }
    EXPECT_GT(test::countOpaquePixels(image, 250), 50);
    EXPECT_EQ(test::averageInk(image, 255).rgb(), QColor(Qt::white).rgb());

    QPainter inactive;
    EXPECT_FALSE(MenuBarIcon::drawStatusMark(inactive, MenuBarIcon::imageSize, Qt::white));
}

TEST(MenuBarIcon, StatusImageIsAMaskIconThatFollowsTheInkItIsGiven) {
    const QIcon light = MenuBarIcon::statusImage(Qt::white);
    const QIcon dark = MenuBarIcon::statusImage(Qt::black);
    EXPECT_TRUE(light.isMask());
    const QImage onDark = light.pixmap(QSize(18, 14), 2.0).toImage();
    EXPECT_EQ(onDark.size(), QSize(36, 28));
    EXPECT_EQ(test::averageInk(onDark, 255).rgb(), QColor(Qt::white).rgb());
    EXPECT_EQ(test::averageInk(dark.pixmap(QSize(22, 22)).toImage(), 255).rgb(), QColor(Qt::black).rgb());
    // Without an ink of its own it takes the desktop palette's text colour.
    EXPECT_EQ(test::averageInk(MenuBarIcon::statusImage().pixmap(QSize(18, 14), 2.0).toImage(), 255).rgb(),
              MenuBarIcon::panelInk().rgb());
}

}  // namespace
}  // namespace quaylight
