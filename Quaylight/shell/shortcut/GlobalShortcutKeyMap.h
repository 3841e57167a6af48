#pragma once
// The keys a global shortcut may use: "a" to "z", "0" to "9" and = - ] [ ' ; \ , / . `
// (47 keys), each with its X11 keysym (for these keys the keysym is the character's own
// code) and its Qt key code.

#include <cstdint>
#include <optional>
#include <string_view>

namespace quaylight::GlobalShortcutKeyMap {

inline constexpr std::string_view supportedKeys = "abcdefghijklmnopqrstuvwxyz0123456789=-][';\\,/.`";

// The key's keysym (lowercased first); nothing for any other text.
std::optional<std::uint32_t> keySym(std::string_view key);
// The Qt::Key a key press of that key reports without Shift.
std::optional<int> qtKey(std::string_view key);

}  // namespace quaylight::GlobalShortcutKeyMap
