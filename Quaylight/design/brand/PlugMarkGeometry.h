#pragma once
// The brand mark, a plug seen from the side: a D-shaped housing outline with two prongs
// out of its flat back. Design space: y grows downwards; the mark lies within x 3.6-20.4 and
// y 6.4-17.6 before stroking.

#include <QPainterPath>
#include <QRectF>
#include <QSizeF>
#include <QTransform>

namespace quaylight {

// The proportions that vary between renderings.
struct PlugCut {
    qreal stroke;       // width of the housing's outline
    qreal prongHeight;  // height of each prong
    qreal prongTopY;    // top edge of the upper prong
};

struct PlugFit {
    QTransform transform;
    qreal scale;
};

namespace PlugMarkGeometry {

// The housing outline, built once.
const QPainterPath& housing();

// The mark's extent for an outline of width `stroke`: the prong tips on the left, the
// housing grown by half the outline elsewhere.
QRectF bounds(qreal stroke);

// Scales the mark as large as fits in `size` and centres it both ways.
PlugFit fittingTransform(const PlugCut& cut, const QSizeF& size);

// The two prongs of `cut` (the lower one's top edge stays at y 13.1) and, when `live`, the
// small square at the front arc's centre.
QPainterPath prongs(const PlugCut& cut, bool live);

// The status image's prongs: 2.1 high, the upper one at y 8.7.
QPainterPath statusProngs();

// The live square: 3.8 by 3.8 at (12.9, 10.1), centred on the front arc's centre.
QRectF liveIndicator();

}  // namespace PlugMarkGeometry
}  // namespace quaylight
