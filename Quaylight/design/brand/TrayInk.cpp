#include "Quaylight/design/brand/TrayInk.h"

#include <algorithm>
#include <cmath>

namespace quaylight::TrayInk {

namespace {

double channel(double value) {
    return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
}

double luminance(const QColor& c) {
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

}  // namespace

QColor lightInk() { return QColor(0xf2, 0xf2, 0xf2); }
QColor darkInk() { return QColor(0x1c, 0x1c, 0x1e); }

double contrastRatio(const QColor& a, const QColor& b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor choose(const Clues& clues, const QColor& paletteInk) {
    if (clues.hostForeground && clues.hostForeground->isValid()) {
        QColor ink = *clues.hostForeground;
        ink.setAlpha(255);
        return ink;
    }
    if (clues.panelBackground && clues.panelBackground->isValid()) {
        const QColor back = *clues.panelBackground;
        return contrastRatio(lightInk(), back) >= contrastRatio(darkInk(), back) ? lightInk() : darkInk();
    }
    if (clues.colorScheme == 1) return lightInk();
    if (clues.colorScheme == 2) return darkInk();
    return paletteInk;
}

}  // namespace quaylight::TrayInk
