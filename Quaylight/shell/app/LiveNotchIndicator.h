#pragma once
// The screen-top indicator the application runs: the wing windows beside the screen's
// notch (a simulated one on Linux), behind the delegate's NotchIndicator interface.

#include <memory>

#include "Quaylight/shell/app/AppViews.h"

namespace quaylight {

std::unique_ptr<NotchIndicator> makeLiveNotchIndicator();

}  // namespace quaylight
