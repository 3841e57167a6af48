#pragma once
// Soft shadows and glows under a control, drawn outside its bounds.

#include <QColor>
#include <QPointF>

class QWidget;

namespace quaylight {

// A shadow as the design gives it: a colour, a blur radius and an offset in points.
struct ShadowStyle {
    QColor color;
    qreal radius = 0;
    QPointF offset;

    bool isClear() const { return color.alpha() == 0; }
    friend bool operator==(const ShadowStyle&, const ShadowStyle&) = default;
};

// Puts `shadow` under `widget` (a drop-shadow effect, which draws beyond the widget's own
// rectangle), or removes it when the shadow is clear. Updates an existing one in place.
void applyShadow(QWidget* widget, const ShadowStyle& shadow);

// The shadow `widget` currently has; clear when it has none.
ShadowStyle shadowOf(const QWidget* widget);

// Moves `from`'s shadow to `to`. A control inside a container of its own size would have
// its shadow cut at the container's edges (a dark band behind rounded corners): the
// container casts it instead, into the room its own parent leaves around it.
void moveShadow(QWidget* from, QWidget* to);

}  // namespace quaylight
