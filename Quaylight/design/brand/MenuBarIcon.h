#pragma once
// The tray icon: the brand mark in one colour, drawn at whatever size the tray asks for.

#include <QColor>
#include <QIcon>
#include <QSizeF>
#include <optional>

#include "Quaylight/design/brand/PlugMarkGeometry.h"

class QPainter;

namespace quaylight {

namespace MenuBarIcon {

// The image's size in points.
inline constexpr QSizeF imageSize{18, 14};
// The status image's outline width.
inline constexpr qreal statusStroke = 2.5;

// Moves `fit` so that the mark's top-left corner falls on a device pixel for a device
// scale `deviceScale` (the painter's x scale); no change when that scale is 0 or not a number.
QTransform snappedToPixels(const PlugFit& fit, qreal deviceScale);

// Draws the status mark fitted into a `size` rectangle at the painter's origin in `ink`.
// False, with nothing drawn, when the painter is not active.
bool drawStatusMark(QPainter& painter, const QSizeF& size, const QColor& ink);

// The colour of the tray's text: the desktop palette's window text, which is light on dark
// panels and dark on light ones.
QColor panelInk();

// A new tray icon that draws the mark on demand at any size, the 18 x 14 image centred in
// the size asked for. Without `ink` it draws in panelInk() as it is when drawn, so a new
// icon follows the desktop's light or dark switch. Marked as a mask (a template image).
QIcon statusImage(std::optional<QColor> ink = std::nullopt);

}  // namespace MenuBarIcon
}  // namespace quaylight
