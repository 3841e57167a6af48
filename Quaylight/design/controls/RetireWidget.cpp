#include "Quaylight/design/controls/RetireWidget.h"

#include <QWidget>

namespace quaylight {

void retireWidget(QWidget* widget) {
    if (!widget) return;
    // Hidden first: a reader that holds it hears that it no longer shows.
    widget->hide();
    // Without a parent it is no one's child: no walk from the window reaches it or anything
    // it still owns, and its layout lets it go.
    widget->setParent(nullptr);
    widget->deleteLater();
}

}  // namespace quaylight
