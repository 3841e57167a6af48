#include "Quaylight/popover/frame/ElidedLabel.h"

#include <QPainter>
#include <cmath>

namespace quaylight {

ElidedLabel::ElidedLabel(QFont font, QColor color, Qt::TextElideMode mode, QWidget* parent)
    : QWidget(parent), color_(std::move(color)), mode_(mode) {
    setFont(font);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void ElidedLabel::setText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    setAccessibleName(text);
    updateGeometry();
    update();
}

void ElidedLabel::setColor(const QColor& color) {
    if (color == color_) return;
    color_ = color;
    update();
}

QString ElidedLabel::shownText() const { return fontMetrics().elidedText(text_, mode_, width()); }

QSize ElidedLabel::sizeHint() const {
    // Rounded up: a width rounded down would elide the very text it was measured for.
    const QFontMetricsF metrics(font());
    return {int(std::ceil(metrics.horizontalAdvance(text_))), fontMetrics().height()};
}

QSize ElidedLabel::minimumSizeHint() const { return {0, fontMetrics().height()}; }

void ElidedLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(color_);
    painter.setFont(font());
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter, shownText());
}

}  // namespace quaylight
