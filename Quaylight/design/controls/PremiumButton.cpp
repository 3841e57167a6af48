#include "Quaylight/design/controls/PremiumButton.h"

#include <QEvent>
#include <QPainter>
#include <cmath>

#include "Quaylight/design/controls/Shapes.h"
#include "Quaylight/design/platform/ReduceMotion.h"
#include "Quaylight/design/theme/PremiumTheme.h"

namespace quaylight {

namespace {

qreal mix(qreal from, qreal to, qreal progress) { return from + (to - from) * progress; }

QRectF shapeRect(const QWidget& widget) { return strokeFittingRect(QRectF(widget.rect())); }

}  // namespace

PremiumButtonColors premiumButtonColors(PremiumButtonKind kind) {
    using namespace PremiumTheme;
    switch (kind) {
        case PremiumButtonKind::primary: return {white(), accent(), Qt::transparent};
        case PremiumButtonKind::secondary: return {textPrimary(), secondaryButtonFill(), secondaryButtonBorder()};
        case PremiumButtonKind::destructive: return {white(), destructiveButtonFill(), Qt::transparent};
        case PremiumButtonKind::ghost: return {accentSoft(), withOpacity(accent(), 0.1), withOpacity(accent(), 0.28)};
    }
    return {white(), accent(), Qt::transparent};
}

PremiumButtonAppearance premiumButtonAppearance(PremiumButtonKind kind, bool enabled, qreal pressed) {
    PremiumButtonAppearance look;
    look.scale = mix(1.0, 0.985, pressed);
    look.opacity = enabled ? mix(1.0, 0.88, pressed) : 0.42;
    const bool glows = kind == PremiumButtonKind::primary && enabled;
    look.shadow = {glows ? withOpacity(PremiumTheme::accent(), mix(0.34, 0.18, pressed)) : QColor(Qt::transparent),
                   mix(8, 4, pressed), QPointF(0, mix(4, 2, pressed))};
    return look;
}

PremiumButton::PremiumButton(const QString& title, PremiumButtonStyle style, QWidget* parent)
    : QAbstractButton(parent), style_(style) {
    setText(title);
    setFont(PremiumTheme::display(12, PremiumFontWeight::semibold));
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
    pressAnimation_.setDuration(110);
    pressAnimation_.setEasingCurve(QEasingCurve::OutCubic);
    connect(&pressAnimation_, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { setPressedProgress(value.toReal()); });
    setButtonStyle(style);
}

void PremiumButton::setButtonStyle(const PremiumButtonStyle& style) {
    style_ = style;
    setSizePolicy(style_.expandsHorizontally ? QSizePolicy::Expanding : QSizePolicy::Fixed, QSizePolicy::Fixed);
    applyShadow(this, appearance().shadow);
    updateGeometry();
    update();
}

PremiumButtonAppearance PremiumButton::appearance() const {
    return premiumButtonAppearance(style_.kind, isEnabled(), pressedProgress_);
}

QSize PremiumButton::sizeHint() const {
    const QFontMetricsF metrics(font());
    const qreal width = metrics.horizontalAdvance(text()) + 2 * style_.horizontalPadding;
    const qreal height = std::max(style_.height, metrics.height());
    return {int(std::ceil(width)), int(std::ceil(height))};
}

QSize PremiumButton::minimumSizeHint() const { return sizeHint(); }

bool PremiumButton::hitButton(const QPoint& position) const {
    return roundedRectPath(QRectF(rect()), style_.cornerRadius).contains(QPointF(position));
}

bool PremiumButton::event(QEvent* event) {
    const bool handled = QAbstractButton::event(event);
    followPressedState();
    return handled;
}

void PremiumButton::changeEvent(QEvent* event) {
    QAbstractButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) {
        applyShadow(this, appearance().shadow);
        update();
    }
}

void PremiumButton::followPressedState() {
    const bool down = isDown() && isEnabled();
    if (down == shownDown_) return;
    shownDown_ = down;
    const qreal target = down ? 1.0 : 0.0;
    pressAnimation_.stop();
    if (reduceMotionFor(this)) {
        setPressedProgress(target);
        return;
    }
    pressAnimation_.setStartValue(pressedProgress_);
    pressAnimation_.setEndValue(target);
    pressAnimation_.start();
}

void PremiumButton::setPressedProgress(qreal progress) {
    pressedProgress_ = progress;
    applyShadow(this, appearance().shadow);
    update();
}

void PremiumButton::paintEvent(QPaintEvent*) {
    // setDown() sends no event of its own; catch up before drawing.
    followPressedState();
    const auto look = appearance();
    const auto colors = premiumButtonColors(style_.kind);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setOpacity(look.opacity);
    const QPointF centre = QRectF(rect()).center();
    painter.translate(centre);
    painter.scale(look.scale, look.scale);
    painter.translate(-centre);

    fillAndStroke(painter, roundedRectPath(shapeRect(*this), style_.cornerRadius), colors.fill, colors.border);
    painter.setFont(font());
    painter.setPen(colors.label);
    const QRectF label = QRectF(rect()).adjusted(style_.horizontalPadding, 0, -style_.horizontalPadding, 0);
    painter.drawText(label, Qt::AlignCenter | Qt::TextSingleLine,
                     QFontMetricsF(font()).elidedText(text(), Qt::ElideRight, label.width()));
}

}  // namespace quaylight
