#pragma once
// A global shortcut as chosen and stored: one key and its modifiers. Stored as the JSON
// text {"key":"p","modifiers":["command","option"]} (modifier order not significant).

#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "Quaylight/shell/shortcut/GlobalShortcutModifier.h"

namespace quaylight {

struct GlobalShortcutPreference {
    std::string key;  // one character as typed; compared case-insensitively
    std::set<GlobalShortcutModifier> modifiers;

    // Super+Alt+P.
    static GlobalShortcutPreference defaultPreference();

    // The modifier names in display order joined by "+", then the key uppercased:
    // "Super+Alt+P".
    std::string displayText() const;

    std::string toJSON() const;
    // The decoded document, or nothing when the text is not such a document (not JSON,
    // missing or mistyped members, an unknown modifier). Says nothing about usability.
    static std::optional<GlobalShortcutPreference> fromJSON(std::string_view text);

    friend bool operator==(const GlobalShortcutPreference& a, const GlobalShortcutPreference& b);
};

// Why a shortcut cannot be used, or nothing when it can: "Choose at least one modifier."
// when it has no modifier; "Shift alone is not enough; choose Super, Alt or Ctrl too." for
// Shift alone (a Shift-only shortcut would take a capital letter from every application);
// "Choose a letter, number, or punctuation key." for a key outside the key map.
std::optional<std::string> validationError(const GlobalShortcutPreference& preference);

}  // namespace quaylight
