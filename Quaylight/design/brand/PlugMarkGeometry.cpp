#include "Quaylight/design/brand/PlugMarkGeometry.h"

#include <algorithm>

namespace quaylight {

namespace {

constexpr qreal prongLeft = 3.6;
constexpr qreal prongWidth = 6.2;
constexpr qreal lowerProngTop = 13.1;

// Adds a circular arc the way a path API with y growing downwards does: from `start` to
// `end` radians (angles measured towards +y), increasing. Qt measures degrees towards -y,
// so both the start and the sweep change sign.
void addArc(QPainterPath& path, QPointF centre, qreal radius, qreal start, qreal end) {
    constexpr qreal degreesPerRadian = 180.0 / 3.14159265358979323846;
    const QRectF circle(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    path.arcTo(circle, -start * degreesPerRadian, -(end - start) * degreesPerRadian);
}

void addProng(QPainterPath& path, qreal top, qreal height) {
    path.addRoundedRect(QRectF(prongLeft, top, prongWidth, height), height / 2, height / 2);
}

}  // namespace

const QPainterPath& PlugMarkGeometry::housing() {
    static const QPainterPath path = [] {
        constexpr qreal pi = 3.14159265358979323846;
        QPainterPath outline;
        outline.moveTo(11.4, 6.4);
        outline.lineTo(14.8, 6.4);
        addArc(outline, {14.8, 12.0}, 5.6, -pi / 2, pi / 2);  // the round front
        outline.lineTo(11.4, 17.6);
        addArc(outline, {11.4, 15.4}, 2.2, pi / 2, pi);  // lower back corner
        outline.lineTo(9.2, 8.6);
        addArc(outline, {11.4, 8.6}, 2.2, pi, 3 * pi / 2);  // upper back corner
        outline.closeSubpath();
        return outline;
    }();
    return path;
}

QRectF PlugMarkGeometry::bounds(qreal stroke) { return {3.6, 6.4 - stroke / 2, 16.8 + stroke / 2, 11.2 + stroke}; }

PlugFit PlugMarkGeometry::fittingTransform(const PlugCut& cut, const QSizeF& size) {
    const QRectF box = bounds(cut.stroke);
    const qreal scale = std::min(size.width() / box.width(), size.height() / box.height());
    const qreal tx = (size.width() - box.width() * scale) / 2 - box.left() * scale;
    const qreal ty = (size.height() - box.height() * scale) / 2 - box.top() * scale;
    return {QTransform(scale, 0, 0, scale, tx, ty), scale};
}

QPainterPath PlugMarkGeometry::prongs(const PlugCut& cut, bool live) {
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    addProng(path, cut.prongTopY, cut.prongHeight);
    addProng(path, lowerProngTop, cut.prongHeight);
    if (live) path.addRoundedRect(liveIndicator(), 1, 1);
    return path;
}

QPainterPath PlugMarkGeometry::statusProngs() { return prongs({2.5, 2.1, 8.7}, false); }

QRectF PlugMarkGeometry::liveIndicator() { return {12.9, 10.1, 3.8, 3.8}; }

}  // namespace quaylight
