#include "Quaylight/design/theme/BrandFont.h"

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QRawFont>

#include "Quaylight/design/theme/PremiumFont.h"

namespace quaylight {

namespace {

enum class FontFile { registrable, alreadyKnown, unreadable };

// Qt would keep a second copy of a face the desktop already has and pick either one, so a
// face that asking for its family, weight and style already yields is left alone.
FontFile examine(const QByteArray& data) {
    const QRawFont face(data, 12);
    const auto name = postScriptName(face);
    if (!name) return FontFile::unreadable;
    // By style name: a face read from data reports only regular or bold as its weight.
    QFont probe(face.familyName());
    probe.setStyleName(face.styleName());
    return postScriptName(probe) == name ? FontFile::alreadyKnown : FontFile::registrable;
}

}  // namespace

FontRegistrationReport BrandFont::registerBundledFonts(const QString& folder) {
    FontRegistrationReport report;
    const QDir directory(folder);
    for (const char* extension : {"ttf", "woff2", "otf"}) {
        const QStringList names =
            directory.entryList({QStringLiteral("*.") + QLatin1String(extension)}, QDir::Files, QDir::Name);
        for (const QString& name : names) {
            QFile file(directory.filePath(name));
            const QByteArray data = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
            if (examine(data) == FontFile::registrable && QFontDatabase::addApplicationFontFromData(data) >= 0) {
                report.registered.append(name);
            } else {
                report.skipped.append(name);
            }
        }
    }
    return report;
}

}  // namespace quaylight
