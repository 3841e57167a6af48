#include "Quaylight/design/icons/LucideIcon.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPainter>
#include <cmath>
#include <mutex>

#include "Quaylight/design/icons/LucideImageCache.h"

namespace quaylight {

namespace {

// An icon is announced by its label alone, or not at all.
class AccessibleLucideIcon final : public QAccessibleWidget {
public:
    explicit AccessibleLucideIcon(LucideIcon* icon) : QAccessibleWidget(icon, QAccessible::Graphic) {}

    QAccessible::State state() const override {
        auto state = QAccessibleWidget::state();
        // An icon without a label is decoration: hidden from assistive technologies.
        if (!icon()->accessibilityLabel()) state.invisible = true;
        return state;
    }
    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Name) return icon()->accessibilityLabel().value_or(QString());
        return QAccessibleWidget::text(kind);
    }
    int childCount() const override { return 0; }

private:
    LucideIcon* icon() const { return static_cast<LucideIcon*>(widget()); }
};

QAccessibleInterface* iconAccessibleFactory(const QString&, QObject* object) {
    if (auto* icon = qobject_cast<LucideIcon*>(object)) return new AccessibleLucideIcon(icon);
    return nullptr;
}

}  // namespace

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

void paintDisclosureChevron(QPainter& painter, const QRectF& rect, bool open, const QColor& color) {
    painter.save();
    painter.translate(rect.center());
    if (open) painter.rotate(180);
    paintLucideIcon(painter, rect.translated(-rect.center()), LucideIconName::chevronDown, color);
    painter.restore();
}

LucideIcon::LucideIcon(LucideIconName name, qreal size, std::optional<QString> accessibilityLabel, QWidget* parent)
    : QWidget(parent), name_(name), size_(size), accessibilityLabel_(std::move(accessibilityLabel)) {
    static std::once_flag installed;
    std::call_once(installed, [] { QAccessible::installFactory(iconAccessibleFactory); });
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
