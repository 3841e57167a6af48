#include "Quaylight/notch/platform/ScreenGeometry.h"

#include <cmath>

namespace quaylight {

QRect toQtGeometry(const ScreenRect& frame, double primaryHeight) {
    const double top = primaryHeight - frame.maxY();
    return QRect(static_cast<int>(std::lround(frame.x)), static_cast<int>(std::lround(top)),
                 static_cast<int>(std::lround(frame.width)), static_cast<int>(std::lround(frame.height)));
}

ScreenRect fromQtGeometry(const QRect& geometry, double primaryHeight) {
    // QRect's bottom() is one short of the edge; the edge is y + height.
    const double bottomEdge = geometry.y() + geometry.height();
    return {static_cast<double>(geometry.x()), primaryHeight - bottomEdge, static_cast<double>(geometry.width()),
            static_cast<double>(geometry.height())};
}

}  // namespace quaylight
