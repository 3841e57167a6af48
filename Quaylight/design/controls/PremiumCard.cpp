#include "Quaylight/design/controls/PremiumCard.h"

#include <QPainter>

#include "Quaylight/design/controls/DesignAccessibility.h"
#include "Quaylight/design/controls/RetireWidget.h"
#include "Quaylight/design/controls/Shapes.h"
#include "Quaylight/design/theme/PremiumTheme.h"

namespace quaylight {

PremiumCard::PremiumCard(qreal padding, qreal cornerRadius, QColor fill, QColor border, QWidget* parent)
    : QWidget(parent),
      padding_(padding),
      cornerRadius_(cornerRadius),
      fill_(std::move(fill)),
      border_(std::move(border)),
      layout_(new QVBoxLayout(this)) {
    const int margin = qRound(padding);
    layout_->setContentsMargins(margin, margin, margin, margin);
    layout_->setSpacing(0);
}

void PremiumCard::setContent(QWidget* content) {
    while (QLayoutItem* item = layout_->takeAt(0)) {
        retireWidget(item->widget());
        delete item;
    }
    layout_->addWidget(content);
}

void PremiumCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    fillAndStroke(painter, roundedRectPath(strokeFittingRect(QRectF(rect())), cornerRadius_), fill_, border_);
}

PremiumMenuSurface::PremiumMenuSurface(qreal width, QWidget* parent)
    : PremiumCard(6, 14, PremiumTheme::popupFill(), PremiumTheme::popupBorder(), parent) {
    setFixedWidth(qRound(width));
    setPalette(PremiumTheme::darkPalette());
    applyShadow(this, {black(0.62), 30, QPointF(0, 18)});
}

PremiumDialogSurface::PremiumDialogSurface(qreal width, QWidget* parent)
    : PremiumCard(18, 18, PremiumTheme::popupFill(), PremiumTheme::popupBorder(), parent) {
    ensureDesignAccessibility();
    setFixedWidth(qRound(width));
    setPalette(PremiumTheme::darkPalette());
    applyShadow(this, {black(0.7), 38, QPointF(0, 22)});
}

}  // namespace quaylight
