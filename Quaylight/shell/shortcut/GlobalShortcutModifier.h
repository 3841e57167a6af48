#pragma once

#include <array>
#include <string_view>
#include <utility>

#include "ProcessCoreKit/support/RawEnum.h"

namespace quaylight {

// A modifier key of the global shortcut, in display order. The raw values are the stored
// form; `command` is the Super (logo) key, `option` is Alt.
enum class GlobalShortcutModifier { command, option, control, shift };

template <>
struct RawValues<GlobalShortcutModifier> {
    static constexpr std::array<std::pair<GlobalShortcutModifier, std::string_view>, 4> table{{
        {GlobalShortcutModifier::command, "command"},
        {GlobalShortcutModifier::option, "option"},
        {GlobalShortcutModifier::control, "control"},
        {GlobalShortcutModifier::shift, "shift"},
    }};
};

// "Super", "Alt", "Ctrl", "Shift".
std::string_view displayName(GlobalShortcutModifier modifier);

}  // namespace quaylight
