#pragma once
// The indicator reasons in screen frames with y growing upwards from the bottom of the
// primary screen; Qt places windows with y growing downwards from its top. These two
// functions are the only place where one becomes the other.

#include <QRect>

#include "TidewatchKit/notch/ScreenRect.h"

namespace quaylight {

// `primaryHeight` is the height of the primary screen, whose bottom edge is y = 0 upwards.
QRect toQtGeometry(const ScreenRect& frame, double primaryHeight);
ScreenRect fromQtGeometry(const QRect& geometry, double primaryHeight);

}  // namespace quaylight
