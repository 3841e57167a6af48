#pragma once
// The application's own icon (the application menu, the window list's launchers): the brand
// mark in white on a rounded square of the brand blue, drawn at any size.

class QColor;
class QPainter;

namespace quaylight::ApplicationIcon {

// The sizes installed as PNG in the hicolor icon theme (the scalable SVG besides).
inline constexpr int pngSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// Draws the icon filling a `size` x `size` square at the painter's origin, the square in
// `tile` (the brand blue).
void draw(QPainter& painter, double size, const QColor& tile);

}  // namespace quaylight::ApplicationIcon
