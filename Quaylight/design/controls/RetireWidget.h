#pragma once
// The one way a view takes a widget out for good. A screen reader holds the widgets it has
// read and asks about them, and about their parents' children, at any moment; so a widget
// that leaves goes out of the accessible tree at once and only then away: hidden, taken
// from its parent (and with that from its layout and from every list of children a reader
// can walk), and deleted on the next turn of the event loop, since it may be running one
// of its own handlers right now. Null is allowed and does nothing.

class QWidget;

namespace quaylight {

void retireWidget(QWidget* widget);

}  // namespace quaylight
