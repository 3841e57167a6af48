#pragma once
// The shapes and strokes every control draws with.

#include <QColor>
#include <QPainterPath>
#include <QRectF>

class QPainter;

namespace quaylight {

// A rounded rectangle; Qt has no continuous corners, so circular ones stand in.
QPainterPath roundedRectPath(const QRectF& rect, qreal radius);
// A rectangle whose short sides are half circles.
QPainterPath capsulePath(const QRectF& rect);

// Qt clips painting to the widget, so a 1-point stroke centred on the widget's outline would
// lose its outer half. Shapes that fill a widget are therefore laid half a point inside it:
// the stroke then covers the widget's outermost point exactly.
QRectF strokeFittingRect(const QRectF& bounds);

// Fills `shape` with `fill`, then strokes it with `border`, 1 point wide on the path.
void fillAndStroke(QPainter& painter, const QPainterPath& shape, const QColor& fill, const QColor& border);

}  // namespace quaylight
