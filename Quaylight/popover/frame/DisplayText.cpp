#include "Quaylight/popover/frame/DisplayText.h"

#include <QList>
#include <QStringList>
#include <QWidget>

#include "ProcessCoreKit/support/Text.h"

namespace quaylight {
namespace {

bool isUnsafe(char32_t c) {
    const bool control = c < 0x20 || (c >= 0x7f && c <= 0x9f);
    const bool bidi = (c >= 0x202a && c <= 0x202e) || (c >= 0x2066 && c <= 0x2069);
    return control || bidi;
}

}  // namespace

QString displayText(std::string_view utf8) {
    const auto decoded = decodeUtf8Lossy(utf8);
    const QString text = QString::fromUtf8(decoded.data(), static_cast<qsizetype>(decoded.size()));
    QString safe;
    safe.reserve(text.size());
    for (char32_t c : text.toUcs4()) {
        if (isUnsafe(c)) safe.append(QLatin1Char('?'));
        else safe.append(QString::fromUcs4(&c, 1));
    }
    return safe;
}

QString isolatedDisplayText(std::string_view utf8) {
    return QChar(0x2066) + displayText(utf8) + QChar(0x2069);
}

QString displayLines(const std::vector<std::string>& lines) {
    QStringList safe;
    for (const auto& line : lines) safe << displayText(line);
    return safe.join(QLatin1Char('\n'));
}

QString plainTooltip(const QString& text) {
    QString escaped = text.toHtmlEscaped();
    escaped.replace(QLatin1Char('\n'), QStringLiteral("<br>"));
    // Rich text tooltips are word-wrapped to a narrow width by Qt; "pre" keeps each line whole.
    return QStringLiteral("<qt style='white-space:pre'>") + escaped + QStringLiteral("</qt>");
}

void setPlainTooltip(QWidget* widget, const QString& text) {
    widget->setToolTip(plainTooltip(text));
    widget->setAccessibleDescription(text);
}

}  // namespace quaylight
