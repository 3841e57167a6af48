#include "Quaylight/design/controls/Surface.h"

#include <QLinearGradient>
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

void Surface::paintEvent(QPaintEvent*) {
    QPainter painter(this);
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
