#include "Quaylight/design/controls/PremiumChoiceTrigger.h"

#include <QAccessible>
#include <QPainter>
#include <cmath>

#include "Quaylight/design/controls/DesignAccessibility.h"
#include "Quaylight/design/controls/Shapes.h"
#include "Quaylight/design/icons/LucideIcon.h"
#include "Quaylight/design/theme/PremiumTheme.h"

namespace quaylight {

namespace {

constexpr qreal horizontalPadding = 10;
constexpr qreal spacing = 7;
constexpr qreal chevronSize = 12;
constexpr qreal triggerHeight = 30;
constexpr qreal cornerRadius = 9;

}  // namespace

void PremiumChoiceAnchorKey::reduce(PremiumChoiceAnchors& value, const PremiumChoiceAnchors& next) {
    for (const auto& [id, bounds] : next) value[id] = bounds;
}

PremiumChoiceTrigger::PremiumChoiceTrigger(QString id, QString title, QString value, bool isExpanded, QWidget* parent)
    : QAbstractButton(parent),
      id_(std::move(id)),
      title_(std::move(title)),
      value_(std::move(value)),
      isExpanded_(isExpanded) {
    ensureDesignAccessibility();
    setFont(PremiumTheme::display(11.5, PremiumFontWeight::medium));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setText(value_);
    setAccessibleName(title_);
    setAccessibleDescription(accessibilityHint());
}

void PremiumChoiceTrigger::setValue(const QString& value) {
    if (value == value_) return;
    value_ = value;
    setText(value_);
    updateGeometry();
    update();
    QAccessibleValueChangeEvent event(this, value_);
    QAccessible::updateAccessibility(&event);
}

void PremiumChoiceTrigger::setExpanded(bool expanded) {
    isExpanded_ = expanded;
    setAccessibleDescription(accessibilityHint());
    update();
}

PremiumChoiceAnchors PremiumChoiceTrigger::anchor(const QWidget* ancestor) const {
    const QPoint origin = ancestor != nullptr ? mapTo(ancestor, QPoint(0, 0)) : pos();
    return {{id_, QRect(origin, size())}};
}

QString PremiumChoiceTrigger::accessibilityValue() const {
    return value_ + QStringLiteral(", ") + (isExpanded_ ? QStringLiteral("expanded") : QStringLiteral("collapsed"));
}

QString PremiumChoiceTrigger::accessibilityHint() const {
    return isExpanded_ ? QStringLiteral("Use the arrow keys to choose") : QStringLiteral("Opens choices");
}

QSize PremiumChoiceTrigger::sizeHint() const {
    const qreal width = horizontalPadding + QFontMetricsF(font()).horizontalAdvance(value_) + spacing + chevronSize +
                        horizontalPadding;
    return {int(std::ceil(width)), int(triggerHeight)};
}

QSize PremiumChoiceTrigger::minimumSizeHint() const { return sizeHint(); }

void PremiumChoiceTrigger::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    fillAndStroke(painter, roundedRectPath(strokeFittingRect(QRectF(rect())), cornerRadius),
                  PremiumTheme::secondaryButtonFill(), PremiumTheme::secondaryButtonBorder());

    const QRectF chevron = chevronRect();
    painter.setFont(font());
    painter.setPen(PremiumTheme::textPrimary());
    const QRectF text = valueRect();
    painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     QFontMetricsF(font()).elidedText(value_, Qt::ElideRight, text.width()));

    paintDisclosureChevron(painter, chevron, isExpanded_, PremiumTheme::textPrimary());
}

QRectF PremiumChoiceTrigger::chevronRect() const {
    return {width() - horizontalPadding - chevronSize, (height() - chevronSize) / 2, chevronSize, chevronSize};
}

QRect PremiumChoiceTrigger::valueRect() const {
    return QRectF(horizontalPadding, 0, chevronRect().left() - spacing - horizontalPadding, height()).toRect();
}

PremiumChoiceAnchors collectChoiceAnchors(const QWidget* root) {
    PremiumChoiceAnchors anchors;
    for (const auto* trigger : root->findChildren<const PremiumChoiceTrigger*>()) {
        PremiumChoiceAnchorKey::reduce(anchors, trigger->anchor(root));
    }
    return anchors;
}

}  // namespace quaylight
