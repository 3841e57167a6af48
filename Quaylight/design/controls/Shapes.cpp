#include "Quaylight/design/controls/Shapes.h"

#include <QPainter>
#include <algorithm>

namespace quaylight {

QPainterPath roundedRectPath(const QRectF& rect, qreal radius) {
    QPainterPath path;
    const qreal fitted = std::clamp(radius, 0.0, std::min(rect.width(), rect.height()) / 2);
    path.addRoundedRect(rect, fitted, fitted);
    return path;
}

QPainterPath capsulePath(const QRectF& rect) { return roundedRectPath(rect, std::min(rect.width(), rect.height()) / 2); }

QRectF strokeFittingRect(const QRectF& bounds) { return bounds.adjusted(0.5, 0.5, -0.5, -0.5); }

void fillAndStroke(QPainter& painter, const QPainterPath& shape, const QColor& fill, const QColor& border) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (fill.alpha() > 0) painter.fillPath(shape, fill);
    if (border.alpha() > 0) painter.strokePath(shape, QPen(border, 1.0));
    painter.restore();
}

}  // namespace quaylight
