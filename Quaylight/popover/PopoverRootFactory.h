#pragma once
// How the application delegate makes the popover: the root view with its binding to the
// view model, the reveal state, the connection store and the settings store.

#include "Quaylight/shell/panel/PopoverContext.h"

namespace quaylight {

PopoverRootFactory makePopoverRootFactory();

}  // namespace quaylight
