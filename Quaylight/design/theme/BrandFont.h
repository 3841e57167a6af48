#pragma once
// Makes the fonts bundled in the application's resources known to this process.

#include <QString>
#include <QStringList>

namespace quaylight {

// What one registration pass did, file by file (callers may ignore it).
struct FontRegistrationReport {
    QStringList registered;
    QStringList skipped;  // a face the font system already has, or a file it cannot read
};

namespace BrandFont {

// Registers every "ttf", then "woff2", then "otf" file of `folder` for this process only.
// A face the font system already has (installed on the desktop, or registered before) is
// skipped, so a second call registers nothing. Never fails to the caller.
FontRegistrationReport registerBundledFonts(const QString& folder = QStringLiteral(":/Fonts"));

}  // namespace BrandFont
}  // namespace quaylight
