#pragma once
// The pointer entering or leaving a widget, as the window system reports it.

#include <QApplication>
#include <QEnterEvent>
#include <QWidget>

namespace quaylight::test {

inline void hover(QWidget& widget, bool inside) {
    if (inside) {
        QEnterEvent enter(QPointF(10, 10), QPointF(10, 10), QPointF(10, 10));
        QApplication::sendEvent(&widget, &enter);
    } else {
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&widget, &leave);
    }
}

}  // namespace quaylight::test
