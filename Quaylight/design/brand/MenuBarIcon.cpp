#include "Quaylight/design/brand/MenuBarIcon.h"

#include <QGuiApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <cmath>

namespace quaylight {

QTransform MenuBarIcon::snappedToPixels(const PlugFit& fit, qreal deviceScale) {
    if (deviceScale == 0 || std::isnan(deviceScale)) return fit.transform;
    const qreal f = std::abs(deviceScale);
    const QRectF box = PlugMarkGeometry::bounds(statusStroke);
    const qreal x = box.left() * fit.scale + fit.transform.dx();
    const qreal y = box.top() * fit.scale + fit.transform.dy();
    // std::round rounds halves away from zero.
    const qreal dx = fit.transform.dx() + (std::round(f * x) / f - x);
    const qreal dy = fit.transform.dy() + (std::round(f * y) / f - y);
    return QTransform(fit.scale, 0, 0, fit.scale, dx, dy);
}

bool MenuBarIcon::drawStatusMark(QPainter& painter, const QSizeF& size, const QColor& ink) {
    if (!painter.isActive()) return false;
    const PlugFit fit = PlugMarkGeometry::fittingTransform({statusStroke, 2.1, 8.7}, size);
    const QTransform place = snappedToPixels(fit, painter.deviceTransform().m11());
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPen outline(ink, statusStroke * fit.scale, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    outline.setMiterLimit(5);
    painter.strokePath(place.map(PlugMarkGeometry::housing()), outline);
    painter.fillPath(place.map(PlugMarkGeometry::statusProngs()), ink);
    painter.restore();
    return true;
}

QColor MenuBarIcon::panelInk() { return QGuiApplication::palette().color(QPalette::Active, QPalette::WindowText); }

namespace {

class StatusIconEngine final : public QIconEngine {
public:
    explicit StatusIconEngine(std::optional<QColor> ink) : ink_(std::move(ink)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        QSizeF box = MenuBarIcon::imageSize;
        box.scale(rect.size(), Qt::KeepAspectRatio);
        QColor ink = ink_.value_or(MenuBarIcon::panelInk());
        if (mode == QIcon::Disabled) ink.setAlphaF(ink.alphaF() * 0.5f);
        painter->save();
        // Centred on whole device pixels, so the mark's own snapping lands on the grid.
        const qreal device = std::max(std::abs(painter->deviceTransform().m11()), 1.0);
        auto onPixel = [device](qreal value) { return std::round(value * device) / device; };
        painter->translate(onPixel(rect.left() + (rect.width() - box.width()) / 2),
                           onPixel(rect.top() + (rect.height() - box.height()) / 2));
        MenuBarIcon::drawStatusMark(*painter, box, ink);
        painter->restore();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return scaledPixmap(size, mode, state, 1.0);
    }

    // `size` is in device pixels here; the painting works in points.
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override {
        QPixmap image(size);
        image.setDevicePixelRatio(scale);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        paint(&painter, QRect(QPoint(0, 0), (QSizeF(size) / scale).toSize()), mode, state);
        return image;
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }
    QIconEngine* clone() const override { return new StatusIconEngine(ink_); }
    QString key() const override { return QStringLiteral("QuaylightStatusIcon"); }

private:
    std::optional<QColor> ink_;
};

}  // namespace

QIcon MenuBarIcon::statusImage(std::optional<QColor> ink) {
    QIcon icon(new StatusIconEngine(std::move(ink)));
    icon.setIsMask(true);
    return icon;
}

}  // namespace quaylight
