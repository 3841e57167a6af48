#include "Quaylight/popover/frame/DisplayText.h"

#include <QList>
#include <QStringList>
#include <QWidget>

#include "ProcessCoreKit/support/Text.h"

namespace quaylight {

QString displayText(std::string_view utf8) {
    const auto safe = neutralisedDisplayText(utf8);
    return QString::fromUtf8(safe.data(), static_cast<qsizetype>(safe.size()));
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
