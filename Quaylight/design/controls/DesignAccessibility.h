#pragma once
// What assistive technologies learn about the design system's controls beyond Qt's defaults:
// the chosen row of a choice menu marked selected, a trigger's value and hint, the dialog
// card announced as modal, and a switch whose every accessible action is a click. (Icons
// announce themselves: see LucideIcon.)

namespace quaylight {

// Installs the accessibility factory once per process; the controls call it themselves.
void ensureDesignAccessibility();

}  // namespace quaylight
