#pragma once
// What assistive technologies learn about the design system's controls beyond Qt's defaults:
// icons announced by their label alone (or not at all), the chosen row of a choice menu
// marked selected, a trigger's value and hint, and the dialog card announced as modal.

namespace quaylight {

// Installs the accessibility factory once per process; the controls call it themselves.
void ensureDesignAccessibility();

}  // namespace quaylight
