#pragma once
// Faces of the bundled fonts, how to tell whether the font system really has one (Qt
// silently substitutes another family for a missing one), and fonts of a fixed size.

#include <QFont>
#include <QString>

class QRawFont;
#include <optional>

namespace quaylight {

enum class PremiumFontWeight { regular, medium, semibold, bold };

// One face of a bundled font: its PostScript name (what identifies it), the family and
// weight through which Qt selects it, and the system weight to fall back on.
struct FontFace {
    QString postScriptName;
    QString family;
    QFont::Weight weight;
};

// The Inter Display face of each weight ("InterDisplay-SemiBold" ...).
FontFace displayFace(PremiumFontWeight weight);
// "FragmentMono-Regular", the one monospaced face.
FontFace monoFace();

// The PostScript name of the face Qt actually draws `font` with, read from the face's
// "name" table; absent when the face has none.
std::optional<QString> postScriptName(const QFont& font);
// The PostScript name of a face loaded from its data.
std::optional<QString> postScriptName(const QRawFont& face);

// Whether `face` exists: asking Qt for its family and weight yields that very face.
bool faceIsAvailable(const FontFace& face);

// A point size that draws `size` device-independent pixels whatever the desktop's font DPI,
// so that text keeps its designed size when the desktop's text scale changes.
qreal fixedPointSize(qreal size);

// `face` at the fixed `size` with `weight`, or, when the face is missing, `fallback` (a
// system font) at that size and weight.
QFont faceOrFallback(const FontFace& face, qreal size, QFont::Weight weight, QFont fallback);

}  // namespace quaylight
