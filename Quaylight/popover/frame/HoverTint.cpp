#include "Quaylight/popover/frame/HoverTint.h"

#include <QVariantAnimation>
#include <QWidget>

#include "Quaylight/design/platform/ReduceMotion.h"

namespace quaylight {

HoverTint::HoverTint(QWidget* row, std::function<void()> onChange)
    : QObject(row), row_(row), onChange_(std::move(onChange)) {}

void HoverTint::setHovering(bool hovering) {
    if (hovering == hovering_) return;
    hovering_ = hovering;
    const qreal target = hovering ? 1.0 : 0.0;
    if (reduceMotionFor(row_)) {
        if (animation_) animation_->stop();
        setValue(target);
        return;
    }
    if (!animation_) {
        animation_ = new QVariantAnimation(this);
        animation_->setObjectName(QStringLiteral("hoverTint"));
        animation_->setDuration(durationMs);
        animation_->setEasingCurve(QEasingCurve::OutQuad);
        connect(animation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) { setValue(v.toReal()); });
    }
    animation_->stop();
    animation_->setStartValue(value_);
    animation_->setEndValue(target);
    animation_->start();
}

void HoverTint::clear() {
    if (animation_) animation_->stop();
    hovering_ = false;
    setValue(0);
}

void HoverTint::setValue(qreal value) {
    if (value == value_) return;
    value_ = value;
    if (onChange_) onChange_();
}

}  // namespace quaylight
