#pragma once
// The key the shortcut field was given: the character just typed or the last one pasted,
// that is the one before the cursor after the edit, not the text's last character (typing
// in front of the shown letter would otherwise keep the old key).

#include <QString>
#include <optional>

namespace quaylight {

struct ShortcutKeyInput {
    // Lower-cased; nothing when the edit left no character before the cursor.
    static std::optional<QString> keyFromEdit(const QString& text, int cursorPosition);
};

}  // namespace quaylight
