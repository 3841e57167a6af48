#include "Quaylight/design/controls/Surface.h"

#include <QLinearGradient>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>

#include "Quaylight/design/controls/Shapes.h"
#include "Quaylight/design/theme/PremiumTheme.h"

namespace quaylight {

Surface::Surface(QWidget* content, QWidget* parent) : QWidget(parent), layout_(new QVBoxLayout(this)) {
    setPalette(PremiumTheme::darkPalette());
    setAutoFillBackground(false);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->setSpacing(0);
    if (content != nullptr) layout_->addWidget(content);
}

QPainterPath Surface::shape() const { return roundedRectPath(QRectF(rect()), cornerRadius); }

void Surface::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    // At the ratio of what is painted on (a rendering may ask for another than the screen's).
    const qreal ratio = painter.paintEngine()->paintDevice()->devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    if (background_.size() != pixels || background_.devicePixelRatio() != ratio) {
        background_ = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        background_.setDevicePixelRatio(ratio);
        background_.fill(Qt::transparent);
        QPainter picture(&background_);
        paintBackground(picture);
    }
    for (const QRect& patch : event->region())
        painter.drawImage(patch, background_, QRectF(QPointF(patch.topLeft()) * ratio, QSizeF(patch.size()) * ratio));
}

void Surface::paintBackground(QPainter& painter) const {
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient gradient(0, 0, 0, height());
    gradient.setColorAt(0, PremiumTheme::panelTop());
    gradient.setColorAt(1, PremiumTheme::panelBottom());
    painter.fillPath(shape(), gradient);
    // The border lies wholly inside the shape: its path is inset by half the line width.
    painter.strokePath(roundedRectPath(strokeFittingRect(QRectF(rect())), cornerRadius - 0.5),
                       QPen(PremiumTheme::panelBorder(), 1.0));
}

}  // namespace quaylight
