#include "Quaylight/settings/views/PlainButton.h"

#include <QPainter>
#include <cmath>

#include "Quaylight/design/controls/Shapes.h"
#include "Quaylight/design/icons/LucideIcon.h"

namespace quaylight::settings {

PlainButton::PlainButton(const QString& title, PlainButtonLook look, QWidget* parent)
    : QAbstractButton(parent), look_(std::move(look)) {
    setText(title);
    setFont(look_.font);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void PlainButton::setLook(PlainButtonLook look) {
    look_ = std::move(look);
    setFont(look_.font);
    updateGeometry();
    update();
}

QSize PlainButton::sizeHint() const {
    const QFontMetricsF metrics(font());
    qreal width = text().isEmpty() ? 0 : metrics.horizontalAdvance(text());
    if (look_.icon) width += look_.iconSize + (text().isEmpty() ? 0 : look_.spacing);
    width = std::max(width + 2 * look_.horizontalPadding, look_.minimumWidth);
    qreal height = std::max(metrics.height(), look_.icon ? look_.iconSize : 0.0) + 2 * look_.verticalPadding;
    height = std::max(height, look_.minimumHeight);
    return {int(std::ceil(width)), int(std::ceil(height))};
}

void PlainButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled()) painter.setOpacity(look_.disabledOpacity);
    else if (isDown()) painter.setOpacity(0.8);
    if (look_.fill.alpha() > 0 || look_.stroke.alpha() > 0)
        fillAndStroke(painter, roundedRectPath(strokeFittingRect(QRectF(rect())), look_.cornerRadius), look_.fill,
                      look_.stroke);
    const QFontMetricsF metrics(font());
    const qreal textWidth = text().isEmpty() ? 0 : metrics.horizontalAdvance(text());
    const qreal iconPart = look_.icon ? look_.iconSize + (text().isEmpty() ? 0 : look_.spacing) : 0;
    qreal x = (width() - textWidth - iconPart) / 2;
    const qreal midY = height() / 2.0;
    auto drawIcon = [&](qreal at) {
        paintLucideIcon(painter, QRectF(at, midY - look_.iconSize / 2, look_.iconSize, look_.iconSize), *look_.icon,
                        look_.color);
    };
    if (look_.icon && !look_.iconTrailing) {
        drawIcon(x);
        x += iconPart;
    }
    painter.setPen(look_.color);
    painter.setFont(font());
    painter.drawText(QRectF(x, 0, textWidth + 1, height()), Qt::AlignVCenter | Qt::AlignLeft, text());
    if (look_.icon && look_.iconTrailing) drawIcon(x + textWidth + look_.spacing);
    if (hasFocus()) {
        painter.setOpacity(1);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(QColor(255, 255, 255, 60), 1));
        painter.drawPath(roundedRectPath(strokeFittingRect(QRectF(rect())), std::max<qreal>(look_.cornerRadius, 4)));
    }
}

}  // namespace quaylight::settings
