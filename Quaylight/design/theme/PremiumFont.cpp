#include "Quaylight/design/theme/PremiumFont.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QRawFont>
#include <QScreen>

namespace quaylight {

namespace {

quint16 bigEndian16(const QByteArray& data, qsizetype offset) {
    return quint16((quint8(data[offset]) << 8) | quint8(data[offset + 1]));
}

// Reads name id 6 (the PostScript name) from an OpenType "name" table: Windows Unicode
// (UTF-16BE) records first, else Macintosh Roman ones.
std::optional<QString> postScriptNameFromTable(const QByteArray& table) {
    if (table.size() < 6) return std::nullopt;
    const int count = bigEndian16(table, 2);
    const int stringsOffset = bigEndian16(table, 4);
    std::optional<QString> macName;
    for (int index = 0; index < count; ++index) {
        const qsizetype record = 6 + qsizetype(index) * 12;
        if (record + 12 > table.size()) break;
        const int platform = bigEndian16(table, record);
        const int nameID = bigEndian16(table, record + 6);
        const int length = bigEndian16(table, record + 8);
        const qsizetype start = stringsOffset + qsizetype(bigEndian16(table, record + 10));
        if (nameID != 6 || start + length > table.size()) continue;
        if (platform == 3 || platform == 0) {
            QString name;
            for (int at = 0; at + 1 < length; at += 2) name.append(QChar(bigEndian16(table, start + at)));
            return name;
        }
        if (platform == 1 && !macName) macName = QString::fromLatin1(table.mid(start, length));
    }
    return macName;
}

}  // namespace

FontFace displayFace(PremiumFontWeight weight) {
    const QString family = QStringLiteral("Inter Display");
    switch (weight) {
        case PremiumFontWeight::regular: return {QStringLiteral("InterDisplay-Regular"), family, QFont::Normal};
        case PremiumFontWeight::medium: return {QStringLiteral("InterDisplay-Medium"), family, QFont::Medium};
        case PremiumFontWeight::semibold: return {QStringLiteral("InterDisplay-SemiBold"), family, QFont::DemiBold};
        case PremiumFontWeight::bold: return {QStringLiteral("InterDisplay-Bold"), family, QFont::Bold};
    }
    return {QStringLiteral("InterDisplay-Regular"), family, QFont::Normal};
}

FontFace monoFace() { return {QStringLiteral("FragmentMono-Regular"), QStringLiteral("Fragment Mono"), QFont::Normal}; }

std::optional<QString> postScriptName(const QRawFont& face) {
    if (!face.isValid()) return std::nullopt;
    return postScriptNameFromTable(face.fontTable("name"));
}

std::optional<QString> postScriptName(const QFont& font) { return postScriptName(QRawFont::fromFont(font)); }

bool faceIsAvailable(const FontFace& face) {
    QFont probe(face.family);
    probe.setWeight(face.weight);
    probe.setStyle(QFont::StyleNormal);
    return postScriptName(probe) == face.postScriptName;
}

qreal fixedPointSize(qreal size) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const qreal dpi = screen != nullptr && screen->logicalDotsPerInchY() > 0 ? screen->logicalDotsPerInchY() : 96.0;
    return size * 72.0 / dpi;
}

QFont faceOrFallback(const FontFace& face, qreal size, QFont::Weight weight, QFont fallback) {
    QFont font = faceIsAvailable(face) ? QFont(face.family) : std::move(fallback);
    font.setPointSizeF(fixedPointSize(size));
    font.setWeight(weight);
    font.setStyle(QFont::StyleNormal);
    return font;
}

}  // namespace quaylight
