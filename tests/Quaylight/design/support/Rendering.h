#pragma once
// Renders widgets the way a screen would, for pixel checks and for the gallery pictures.

#include <QColor>
#include <QImage>
#include <QString>
#include <QWidget>

namespace quaylight::test {

// Shows `widget` off screen at its size hint (unless already sized), lets layouts settle,
// and renders it with its children and effects at `devicePixelRatio`.
QImage render(QWidget& widget, qreal devicePixelRatio = 1.0, const QColor& background = Qt::transparent);

// Writes `image` as <gallery folder>/<name>.png and returns the path.
QString saveToGallery(const QImage& image, const QString& name);

// Counts pixels whose alpha exceeds `minimumAlpha`.
int countOpaquePixels(const QImage& image, int minimumAlpha = 0);

// The average colour of pixels whose alpha is at least `minimumAlpha` (un-premultiplied).
QColor averageInk(const QImage& image, int minimumAlpha = 200);

}  // namespace quaylight::test
