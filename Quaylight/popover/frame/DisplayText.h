#pragma once
// Text from other programs (process names, paths, project names, notices) made safe to
// show: invalid UTF-8 as U+FFFD, and control characters and bidi controls as "?"
// (neutralisedDisplayText, the rule the scan table shares).

#include <QString>
#include <string_view>

namespace quaylight {

QString displayText(std::string_view utf8);
// The same, laid out as one isolated left-to-right run whatever it contains.
QString isolatedDisplayText(std::string_view utf8);
// A tooltip that shows `text` literally (never as rich text), line breaks kept.
QString plainTooltip(const QString& text);

}  // namespace quaylight
