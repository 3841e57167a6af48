#pragma once
// Paints a wing as its model shows it at a moment: the black tab with only its outer bottom
// corner rounded, the outline under increased contrast (never on the notch edge), and the
// activity matrix, check mark and rolling count. The model's y grows upwards; every y is
// converted here, never copied.

#include <QPainterPath>
#include <QSizeF>
#include <optional>

#include "Quaylight/notch/wing/NotchWingModel.h"

class QPainter;

namespace quaylight {

struct NotchWingShape {
    // The closed tab, in widget coordinates (y downwards).
    static QPainterPath path(const QSizeF& size, NotchIslandWingSide side, double outerRadius);
    // The same outline without the inner (notch) edge.
    static QPainterPath outerBorderPath(const QSizeF& size, NotchIslandWingSide side, double outerRadius);
};

// The check mark in `rect` (widget coordinates): down to the bottom and up to the far corner.
QPainterPath checkmarkPath(const QRectF& rect);

// Paints the wing at `time` into a painter the wing's size. `applyAlpha` false paints the
// tab at full strength: without a compositor a window cannot be partly transparent.
// `dirty` (widget coordinates), when given, is all that needs painting: pieces outside it
// are left out, which keeps the wave's frames to the matrix alone.
void paintNotchWing(QPainter& painter, const NotchWingModel& wing, double time, const QSizeF& size, bool applyAlpha,
                    const std::optional<QRectF>& dirty = std::nullopt);

}  // namespace quaylight
