#include "Quaylight/design/brand/PlugMark.h"

#include <QPainter>
#include <cmath>

namespace quaylight {

void paintPlugMark(QPainter& painter, const QRectF& rect, bool live, const PlugCut& cut, const QColor& color) {
    const auto fit = PlugMarkGeometry::fittingTransform(cut, rect.size());
    const QTransform place = fit.transform * QTransform::fromTranslate(rect.left(), rect.top());
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPen outline(color, cut.stroke * fit.scale, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    // Qt measures the miter from the join point, not across the whole join: half the ratio.
    outline.setMiterLimit(5);
    painter.strokePath(place.map(PlugMarkGeometry::housing()), outline);
    painter.fillPath(place.map(PlugMarkGeometry::prongs(cut, live)), color);
    painter.restore();
}

PlugMark::PlugMark(bool live, PlugCut cut, QWidget* parent) : QWidget(parent), live_(live), cut_(cut) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void PlugMark::setLive(bool live) {
    live_ = live;
    update();
}

int PlugMark::heightForWidth(int width) const {
    const QRectF box = PlugMarkGeometry::bounds(cut_.stroke);
    return int(std::lround(width * box.height() / box.width()));
}

QSize PlugMark::sizeHint() const { return {24, heightForWidth(24)}; }

void PlugMark::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintPlugMark(painter, QRectF(rect()), live_, cut_, palette().color(foregroundRole()));
}

}  // namespace quaylight
