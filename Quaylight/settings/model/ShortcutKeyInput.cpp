#include "Quaylight/settings/model/ShortcutKeyInput.h"

namespace quaylight {

std::optional<QString> ShortcutKeyInput::keyFromEdit(const QString& text, int cursorPosition) {
    int end = std::min(cursorPosition, static_cast<int>(text.size()));
    if (end <= 0) return std::nullopt;
    // One whole character, also where it takes two UTF-16 units.
    int start = end - 1;
    if (start > 0 && text.at(start).isLowSurrogate() && text.at(start - 1).isHighSurrogate()) --start;
    return text.mid(start, end - start).toLower();
}

}  // namespace quaylight
