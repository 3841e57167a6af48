#include "Quaylight/popover/frame/DisplayText.h"

#include "ProcessCoreKit/support/Text.h"

namespace quaylight {

QString displayText(std::string_view utf8) {
    const auto safe = neutralisedDisplayText(utf8);
    return QString::fromUtf8(safe.data(), static_cast<qsizetype>(safe.size()));
}

QString isolatedDisplayText(std::string_view utf8) {
    return QChar(0x2066) + displayText(utf8) + QChar(0x2069);
}

QString plainTooltip(const QString& text) {
    QString escaped = text.toHtmlEscaped();
    escaped.replace(QLatin1Char('\n'), QStringLiteral("<br>"));
    return QStringLiteral("<qt>") + escaped + QStringLiteral("</qt>");
}

}  // namespace quaylight
