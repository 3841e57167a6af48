#pragma once
// One line icon, drawn as a template: the caller's colour fills the drawing's strokes.

#include <QColor>
#include <QImage>
#include <QWidget>
#include <optional>

#include "Quaylight/design/icons/LucideIconName.h"

namespace quaylight {

class LucideImageCache;

// The icon `name` in `color`, `size` points square at `devicePixelRatio`; transparent when
// its drawing is missing. `cache` defaults to the process-wide one.
QImage renderLucideIcon(LucideIconName name, qreal size, const QColor& color, qreal devicePixelRatio = 1.0,
                        LucideImageCache* cache = nullptr);

// Draws the icon into `rect` (a square, centred when it is not) at the painter's pixel ratio.
void paintLucideIcon(QPainter& painter, const QRectF& rect, LucideIconName name, const QColor& color);

// A disclosure chevron in `rect`, pointing down, or turned half a turn about its centre while
// what it discloses is `open`.
void paintDisclosureChevron(QPainter& painter, const QRectF& rect, bool open, const QColor& color);

// The icon as a widget: a `size` square in its foreground colour (the palette's WindowText).
// With an accessibility label it is announced by that label alone; without one it is hidden
// from assistive technologies.
class LucideIcon : public QWidget {
    Q_OBJECT
public:
    LucideIcon(LucideIconName name, qreal size, std::optional<QString> accessibilityLabel = std::nullopt,
               QWidget* parent = nullptr);

    LucideIconName name() const { return name_; }
    qreal iconSize() const { return size_; }
    const std::optional<QString>& accessibilityLabel() const { return accessibilityLabel_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    LucideIconName name_;
    qreal size_;
    std::optional<QString> accessibilityLabel_;
};

}  // namespace quaylight
