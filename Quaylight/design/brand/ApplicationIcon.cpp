#include "Quaylight/design/brand/ApplicationIcon.h"

#include <QPainter>

#include "Quaylight/design/brand/PlugMarkGeometry.h"

namespace quaylight {

void ApplicationIcon::draw(QPainter& painter, double size, const QColor& tile) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    // A little inside the square, as icon themes leave room round their shapes.
    const double inset = size / 16;
    const QRectF square(inset, inset, size - 2 * inset, size - 2 * inset);
    painter.setPen(Qt::NoPen);
    painter.setBrush(tile);
    painter.drawRoundedRect(square, square.width() * 0.22, square.width() * 0.22);

    const PlugCut cut{2.5, 2.1, 8.7};
    const double markSide = square.width() * 0.62;
    const PlugFit fit = PlugMarkGeometry::fittingTransform(cut, QSizeF(markSide, markSide));
    const QTransform place = fit.transform * QTransform::fromTranslate(square.left() + (square.width() - markSide) / 2,
                                                                       square.top() + (square.height() - markSide) / 2);
    QPen outline(Qt::white, cut.stroke * fit.scale, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    outline.setMiterLimit(5);
    painter.strokePath(place.map(PlugMarkGeometry::housing()), outline);
    painter.fillPath(place.map(PlugMarkGeometry::prongs(cut, false)), Qt::white);
    painter.restore();
}

}  // namespace quaylight
