#include "Quaylight/shell/shortcut/GlobalShortcutKeyMap.h"

#include <Qt>

namespace quaylight::GlobalShortcutKeyMap {

namespace {

std::optional<char> supportedCharacter(std::string_view key) {
    if (key.size() != 1) return std::nullopt;
    char c = key.front();
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (supportedKeys.find(c) == std::string_view::npos) return std::nullopt;
    return c;
}

}  // namespace

std::optional<std::uint32_t> keySym(std::string_view key) {
    auto c = supportedCharacter(key);
    if (!c) return std::nullopt;
    // Latin-1 keysyms equal the character's code (XK_a = 0x61, XK_grave = 0x60, ...).
    return static_cast<std::uint32_t>(static_cast<unsigned char>(*c));
}

std::optional<int> qtKey(std::string_view key) {
    auto c = supportedCharacter(key);
    if (!c) return std::nullopt;
    // Qt's key codes for these keys are the codes of the upper-case characters.
    if (*c >= 'a' && *c <= 'z') return Qt::Key_A + (*c - 'a');
    return static_cast<int>(static_cast<unsigned char>(*c));
}

}  // namespace quaylight::GlobalShortcutKeyMap
