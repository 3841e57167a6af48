#pragma once
// The "foreground style" of a widget: the colour icons, the brand mark and plain text draw
// with (the palette's WindowText), set by the caller.

#include <QColor>
#include <QWidget>

namespace quaylight {

inline void setForeground(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    widget->setPalette(palette);
}

}  // namespace quaylight
