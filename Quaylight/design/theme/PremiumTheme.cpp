#include "Quaylight/design/theme/PremiumTheme.h"

#include <QFontDatabase>

namespace quaylight {

namespace {

QColor srgb(int red, int green, int blue) { return QColor::fromRgbF(red / 255.0f, green / 255.0f, blue / 255.0f, 1.0f); }

}  // namespace

QColor withOpacity(const QColor& color, qreal opacity) {
    QColor result = color;
    result.setAlphaF(float(color.alphaF() * opacity));
    return result;
}

QColor white(qreal opacity) { return QColor::fromRgbF(1.0f, 1.0f, 1.0f, float(opacity)); }
QColor black(qreal opacity) { return QColor::fromRgbF(0.0f, 0.0f, 0.0f, float(opacity)); }

const QColor& BrandColor::accent() {
    static const QColor color = srgb(0, 109, 252);
    return color;
}

#define QUAYLIGHT_THEME_COLOR(name, value) \
    const QColor& PremiumTheme::name() {   \
        static const QColor color = value; \
        return color;                      \
    }

QUAYLIGHT_THEME_COLOR(panelTop, srgb(14, 16, 21))
QUAYLIGHT_THEME_COLOR(panelBottom, srgb(10, 11, 15))
QUAYLIGHT_THEME_COLOR(textPrimary, srgb(232, 234, 238))
QUAYLIGHT_THEME_COLOR(textSecondary, white(0.55))
QUAYLIGHT_THEME_COLOR(textTertiary, white(0.4))
QUAYLIGHT_THEME_COLOR(hairline, white(0.07))
QUAYLIGHT_THEME_COLOR(panelBorder, white(0.09))
QUAYLIGHT_THEME_COLOR(cardFill, white(0.06))
QUAYLIGHT_THEME_COLOR(cardBorder, white(0.08))
QUAYLIGHT_THEME_COLOR(chipFill, white(0.055))
QUAYLIGHT_THEME_COLOR(chipBorder, white(0.07))
QUAYLIGHT_THEME_COLOR(popupFill, srgb(25, 27, 34))
QUAYLIGHT_THEME_COLOR(popupBorder, srgb(59, 62, 73))
QUAYLIGHT_THEME_COLOR(popupHover, white(0.065))
QUAYLIGHT_THEME_COLOR(secondaryButtonFill, srgb(43, 45, 54))
QUAYLIGHT_THEME_COLOR(secondaryButtonBorder, white(0.055))
QUAYLIGHT_THEME_COLOR(destructiveButtonFill, srgb(216, 58, 49))
QUAYLIGHT_THEME_COLOR(menuDanger, srgb(255, 107, 96))
QUAYLIGHT_THEME_COLOR(accentSoft, srgb(158, 203, 255))
QUAYLIGHT_THEME_COLOR(success, srgb(48, 209, 88))
QUAYLIGHT_THEME_COLOR(warning, srgb(255, 179, 64))
QUAYLIGHT_THEME_COLOR(danger, srgb(255, 69, 58))
QUAYLIGHT_THEME_COLOR(codex, srgb(126, 226, 168))
QUAYLIGHT_THEME_COLOR(claude, srgb(255, 178, 125))
QUAYLIGHT_THEME_COLOR(info, srgb(142, 196, 255))

#undef QUAYLIGHT_THEME_COLOR

// The brand colour has one definition; the theme's accent is that colour itself.
const QColor& PremiumTheme::accent() { return BrandColor::accent(); }

QFont PremiumTheme::display(qreal size, PremiumFontWeight weight) {
    const FontFace face = displayFace(weight);
    return faceOrFallback(face, size, face.weight, QFontDatabase::systemFont(QFontDatabase::GeneralFont));
}

QFont PremiumTheme::mono(qreal size, QFont::Weight weight) {
    return faceOrFallback(monoFace(), size, weight, QFontDatabase::systemFont(QFontDatabase::FixedFont));
}

QPalette PremiumTheme::darkPalette() {
    QPalette palette;
    const QColor text = textPrimary();
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::BrightText,
                      QPalette::ToolTipText, QPalette::PlaceholderText}) {
        palette.setColor(role, role == QPalette::PlaceholderText ? textTertiary() : text);
    }
    for (auto role : {QPalette::Window, QPalette::Base, QPalette::Button, QPalette::AlternateBase,
                      QPalette::ToolTipBase}) {
        palette.setColor(role, popupFill());
    }
    palette.setColor(QPalette::Highlight, accent());
    palette.setColor(QPalette::HighlightedText, white());
    palette.setColor(QPalette::Link, accentSoft());
    palette.setColor(QPalette::Disabled, QPalette::WindowText, textTertiary());
    palette.setColor(QPalette::Disabled, QPalette::Text, textTertiary());
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, textTertiary());
    return palette;
}

}  // namespace quaylight
