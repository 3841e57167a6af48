#include "Quaylight/design/icons/LucideIcon.h"

#include <QPainter>
#include <cmath>

#include "Quaylight/design/controls/DesignAccessibility.h"
#include "Quaylight/design/icons/LucideImageCache.h"

namespace quaylight {

QImage renderLucideIcon(LucideIconName name, qreal size, const QColor& color, qreal devicePixelRatio,
                        LucideImageCache* cache) {
    const int side = std::max(1, int(std::ceil(size * devicePixelRatio)));
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    image.setDevicePixelRatio(devicePixelRatio);
    auto drawing = (cache != nullptr ? *cache : LucideImageCache::shared()).image(lucideResourceName(name));
    if (!drawing) return image;

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // Keep the drawing's aspect ratio, centred in the square.
    QSizeF drawn = drawing->viewBoxF().size();
    if (drawn.isEmpty()) drawn = QSizeF(1, 1);
    drawn.scale(size, size, Qt::KeepAspectRatio);
    drawing->render(&painter, QRectF(QPointF((size - drawn.width()) / 2, (size - drawn.height()) / 2), drawn));
    // Template rendering: the drawing's coverage, in the caller's colour.
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(QRectF(0, 0, size, size), color);
    return image;
}

void paintLucideIcon(QPainter& painter, const QRectF& rect, LucideIconName name, const QColor& color) {
    const qreal side = std::min(rect.width(), rect.height());
    if (side <= 0) return;
    const qreal ratio = painter.device() != nullptr ? painter.device()->devicePixelRatioF() : 1.0;
    // Rasterise at the pixels the icon will cover, whether the painter is scaled or turned.
    const QTransform& world = painter.worldTransform();
    const qreal scale = std::max(std::hypot(world.m11(), world.m12()), 1.0);
    const QImage image = renderLucideIcon(name, side, color, ratio * scale);
    painter.drawImage(QRectF(rect.center().x() - side / 2, rect.center().y() - side / 2, side, side), image);
}

LucideIcon::LucideIcon(LucideIconName name, qreal size, std::optional<QString> accessibilityLabel, QWidget* parent)
    : QWidget(parent), name_(name), size_(size), accessibilityLabel_(std::move(accessibilityLabel)) {
    ensureDesignAccessibility();
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(sizeHint());
    setAccessibleName(accessibilityLabel_.value_or(QString()));
}

QSize LucideIcon::sizeHint() const {
    const int side = int(std::ceil(size_));
    return {side, side};
}

void LucideIcon::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintLucideIcon(painter, QRectF(0, 0, size_, size_), name_, palette().color(foregroundRole()));
}

}  // namespace quaylight
