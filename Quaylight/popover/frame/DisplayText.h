#pragma once
// Text from other programs (process names, paths, project names, notices) made safe to
// show: invalid UTF-8 as U+FFFD, and control characters and bidi controls as "?"
// (neutralisedDisplayText, the rule the scan table shares).

#include <QString>
#include <string>
#include <string_view>
#include <vector>

class QWidget;

namespace quaylight {

QString displayText(std::string_view utf8);
// The same, laid out as one isolated left-to-right run whatever it contains.
QString isolatedDisplayText(std::string_view utf8);
// Lines from other programs made safe one by one, then joined with line feeds: a control
// character inside a line is still shown as "?", the breaks between lines stay breaks.
QString displayLines(const std::vector<std::string>& lines);
// A tooltip that shows `text` literally (never as rich text), line breaks kept and no line
// wrapped: every line of `text` is one line on screen.
QString plainTooltip(const QString& text);
// Sets `text` as the widget's tooltip (through plainTooltip) and, since a screen reader
// would otherwise read the tooltip's markup, as its accessible description as it is.
void setPlainTooltip(QWidget* widget, const QString& text);

}  // namespace quaylight
