#include "Quaylight/shell/shortcut/GlobalShortcutModifier.h"

namespace quaylight {

std::string_view displayName(GlobalShortcutModifier modifier) {
    switch (modifier) {
        case GlobalShortcutModifier::command: return "Super";
        case GlobalShortcutModifier::option: return "Alt";
        case GlobalShortcutModifier::control: return "Ctrl";
        case GlobalShortcutModifier::shift: return "Shift";
    }
    return {};
}

}  // namespace quaylight
