#pragma once
// What assistive technologies learn about the design system's controls beyond Qt's defaults:
// the chosen row of a choice menu marked selected, the highlighted row focused, a trigger's
// value (as its text, which is what the AT-SPI bridge exports) and hint, the dialog
// card announced as modal, and a switch whose every accessible action is a click. (Icons
// announce themselves: see LucideIcon.)

class QWidget;

namespace quaylight {

// Installs the accessibility factory once per process; the controls call it themselves.
void ensureDesignAccessibility();

// Whether the keyboard focus is on one of `widget`'s ancestors: the keys go to the list or
// menu that holds it.
bool keyboardFocusAbove(const QWidget* widget);
// Tells assistive technologies that `widget`, an item of a list or menu, is the one the keys
// act on now (a focus event); only while keyboardFocusAbove(widget).
void announceKeyboardItem(QWidget* widget);
// For a menu that has just taken the keys: announces its highlighted row, so that a screen
// reader names the entry Return would run.
void announceHighlightedMenuRow(QWidget* menu);

}  // namespace quaylight
