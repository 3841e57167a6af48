#include "Quaylight/notch/widgets/NotchWingPainter.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>

#include "Quaylight/design/theme/AgentActivityPalette.h"
#include "Quaylight/design/theme/PremiumTheme.h"

namespace quaylight {
namespace {

// From the model's upward coordinates inside a wing of height `height` to the widget's.
double widgetY(double upwardY, double height) { return height - upwardY; }
QRectF widgetRect(const ScreenRect& r, double height) { return {r.x, widgetY(r.maxY(), height), r.width, r.height}; }

QPainterPath outline(const QSizeF& size, NotchIslandWingSide side, double outerRadius, bool close) {
    const double w = size.width();
    const double h = size.height();
    const double r = std::max(0.0, std::min(outerRadius, 0.5 * std::min(w, h)));
    const double k = r * bezierCircleConstant;
    // Upward points (the model's terms), turned into widget points as they are drawn.
    auto at = [h](double x, double upwardY) { return QPointF(x, widgetY(upwardY, h)); };
    QPainterPath path;
    if (side == NotchIslandWingSide::left) {
        path.moveTo(at(w, 0));
        path.lineTo(at(r, 0));
        path.cubicTo(at(r - k, 0), at(0, r - k), at(0, r));
        path.lineTo(at(0, h));
        path.lineTo(at(w, h));
    } else {
        path.moveTo(at(0, 0));
        path.lineTo(at(w - r, 0));
        path.cubicTo(at(w - r + k, 0), at(w, r - k), at(w, r));
        path.lineTo(at(w, h));
        path.lineTo(at(0, h));
    }
    if (close) path.closeSubpath();
    return path;
}

// Scales about the centre of `rect`, as a layer scales about its middle.
void scaleAbout(QPainter& painter, const QRectF& rect, double sx, double sy) {
    painter.translate(rect.center());
    painter.scale(sx, sy);
    painter.translate(-rect.center());
}

const std::array<QColor, 3>& paletteOf(NotchIslandWingSide side) {
    return side == NotchIslandWingSide::left ? PremiumTheme::codexActivity() : PremiumTheme::claudeActivity();
}

void paintMatrix(QPainter& painter, const NotchWingModel& wing, const QRectF& matrixRect, const ScreenRect& matrix,
                 double time, double height) {
    const auto& group = wing.group();
    const double opacity = group.matrix.opacity.valueAt(time);
    if (opacity <= 0) return;
    painter.save();
    painter.setOpacity(painter.opacity() * opacity);
    const double scale = group.matrix.scale.valueAt(time);
    scaleAbout(painter, matrixRect, scale, scale);
    painter.setPen(Qt::NoPen);
    const auto& palette = paletteOf(wing.side());
    const double base = painter.opacity();
    for (int cell = 0; cell < ActivityMatrixModel::cellCount; ++cell) {
        const double cellOpacity = group.matrix.cellOpacityAt(cell, time);
        if (cellOpacity <= 0) continue;
        painter.setOpacity(base * cellOpacity);
        painter.setBrush(palette[static_cast<std::size_t>(group.matrix.colorIndex(cell))]);
        painter.drawRoundedRect(widgetRect(matrixCellRect(matrix, cell), height), 0.6, 0.6);
    }
    painter.restore();
}

void paintCompletion(QPainter& painter, const NotchWingModel& wing, const QRectF& rect, double time) {
    const auto& group = wing.group();
    const double opacity = group.completionOpacity.valueAt(time);
    if (opacity <= 0) return;
    painter.save();
    painter.setOpacity(painter.opacity() * opacity);
    const double scale = group.completionScale.valueAt(time);
    scaleAbout(painter, rect, scale, scale);
    QPen pen(paletteOf(wing.side())[1], group.completionLineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(checkmarkPath(rect));
    painter.restore();
}

void paintCount(QPainter& painter, const NotchWingModel& wing, const QRectF& rect, double time) {
    const auto& count = wing.group().count;
    const double opacity = count.opacity.valueAt(time);
    if (opacity <= 0) return;
    painter.save();
    painter.setOpacity(painter.opacity() * opacity);
    const double scale = count.scale.valueAt(time);
    scaleAbout(painter, rect, scale, scale);
    painter.setClipRect(rect);  // the count masks to its bounds
    const QFont font = PremiumTheme::mono(12, QFont::DemiBold);
    painter.setFont(font);
    painter.setPen(white());
    const double base = painter.opacity();
    auto draw = [&](const RollingCountModel::Entry& entry) {
        const double entryOpacity = entry.opacity.valueAt(time);
        if (entryOpacity <= 0) return;
        painter.setOpacity(base * entryOpacity);
        // Upward offsets move the text up the screen: the widget's y falls.
        const QRectF at = rect.translated(0, -entry.translationY.valueAt(time));
        const QString text = QFontMetricsF(font).elidedText(QString::fromStdString(entry.text), Qt::ElideRight,
                                                            at.width());
        painter.drawText(at, Qt::AlignCenter, text);
    };
    for (const auto& entry : count.outgoing()) draw(entry);
    if (count.current()) draw(*count.current());
    painter.restore();
}

}  // namespace

QPainterPath NotchWingShape::path(const QSizeF& size, NotchIslandWingSide side, double outerRadius) {
    return outline(size, side, outerRadius, true);
}

QPainterPath NotchWingShape::outerBorderPath(const QSizeF& size, NotchIslandWingSide side, double outerRadius) {
    return outline(size, side, outerRadius, false);
}

QPainterPath checkmarkPath(const QRectF& rect) {
    // The mark's corners in the rectangle's upward terms (0 at its bottom edge).
    auto at = [&rect](double fx, double fy) {
        return QPointF(rect.left() + fx * rect.width(), rect.bottom() - fy * rect.height());
    };
    QPainterPath path;
    path.moveTo(at(0.1, 0.5));
    path.lineTo(at(0.4, 0.22));
    path.lineTo(at(0.92, 0.82));
    return path;
}

void paintNotchWing(QPainter& painter, const NotchWingModel& wing, double time, const QSizeF& size, bool applyAlpha,
                    const std::optional<QRectF>& dirty) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (applyAlpha) painter.setOpacity(std::clamp(wing.alphaAt(time), 0.0, 1.0));
    const QRectF bounds(QPointF(0, 0), size);
    const bool still = wing.translationXAt(time) == 0 && wing.scaleXAt(time) == 1;
    // The slide and the squeeze towards the notch move the whole tab.
    painter.translate(wing.translationXAt(time), 0);
    scaleAbout(painter, bounds, wing.scaleXAt(time), 1);
    auto needed = [&](const QRectF& piece) { return !dirty || !still || dirty->intersects(piece); };

    const auto geometry = NotchWingGeometry::of(size.width(), size.height(), wing.side(), wing.notchOverlap());
    const double r = geometry.outerRadius;
    // Away from the rounded corner and the outline the tab is plain black.
    const QRectF plainInterior = bounds.adjusted(r + 1, 1, -1, -1);
    if (dirty && still && plainInterior.contains(*dirty))
        painter.fillRect(*dirty, black());
    else
        painter.fillPath(NotchWingShape::path(size, wing.side(), r), black());
    if (wing.increaseContrast() && !(dirty && still && plainInterior.contains(*dirty))) {
        painter.setPen(QPen(white(0.32), 1.0));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(NotchWingShape::outerBorderPath(size, wing.side(), r));
    }
    const auto& group = wing.group();
    if (group.rootOpacity > 0) {
        painter.setOpacity(painter.opacity() * group.rootOpacity);
        const double h = size.height();
        const QRectF matrixRect = widgetRect(geometry.matrix, h);
        const QRectF completionRect = widgetRect(geometry.completion, h);
        const QRectF countRect = widgetRect(geometry.count, h);
        if (needed(matrixRect.adjusted(-1, -1, 1, 1))) paintMatrix(painter, wing, matrixRect, geometry.matrix, time, h);
        if (needed(completionRect.adjusted(-2, -2, 2, 2))) paintCompletion(painter, wing, completionRect, time);
        if (needed(countRect)) paintCount(painter, wing, countRect, time);
    }
    painter.restore();
}

}  // namespace quaylight
