#include "Quaylight/design/controls/Shadow.h"

#include <QGraphicsDropShadowEffect>
#include <QWidget>

namespace quaylight {

namespace {

// The design's radius is the shadow's spread, like a CSS blur of twice that radius;
// Qt's blur radius covers the same spread at about twice the value.
constexpr qreal qtBlurPerRadius = 2.0;

}  // namespace

void applyShadow(QWidget* widget, const ShadowStyle& shadow) {
    auto* effect = qobject_cast<QGraphicsDropShadowEffect*>(widget->graphicsEffect());
    if (shadow.isClear()) {
        if (effect != nullptr) widget->setGraphicsEffect(nullptr);
        return;
    }
    if (effect == nullptr) {
        effect = new QGraphicsDropShadowEffect(widget);
        widget->setGraphicsEffect(effect);
    }
    effect->setColor(shadow.color);
    effect->setBlurRadius(shadow.radius * qtBlurPerRadius);
    effect->setOffset(shadow.offset);
}

ShadowStyle shadowOf(const QWidget* widget) {
    const auto* effect = qobject_cast<const QGraphicsDropShadowEffect*>(widget->graphicsEffect());
    if (effect == nullptr) return {QColor(0, 0, 0, 0), 0, {}};
    return {effect->color(), effect->blurRadius() / qtBlurPerRadius, effect->offset()};
}

void moveShadow(QWidget* from, QWidget* to) {
    applyShadow(to, shadowOf(from));
    applyShadow(from, {QColor(0, 0, 0, 0), 0, {}});
}

}  // namespace quaylight
