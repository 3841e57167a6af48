#pragma once

#include <string_view>

#include "ProcessCoreKit/support/RawEnum.h"

namespace quaylight {

// The apps recognised as hosts of an agent or of a server's terminal.
enum class HostAppKind { terminal, iterm2, warp, ghostty, wezterm, alacritty, vscode, cursor, chatgpt, claudeDesktop };

template <>
struct RawValues<HostAppKind> {
    static constexpr std::array<std::pair<HostAppKind, std::string_view>, 10> table{{
        {HostAppKind::terminal, "terminal"},
        {HostAppKind::iterm2, "iterm2"},
        {HostAppKind::warp, "warp"},
        {HostAppKind::ghostty, "ghostty"},
        {HostAppKind::wezterm, "wezterm"},
        {HostAppKind::alacritty, "alacritty"},
        {HostAppKind::vscode, "vscode"},
        {HostAppKind::cursor, "cursor"},
        {HostAppKind::chatgpt, "chatgpt"},
        {HostAppKind::claudeDesktop, "claudeDesktop"},
    }};
};

constexpr std::string_view displayName(HostAppKind kind) {
    switch (kind) {
        case HostAppKind::terminal: return "Terminal";
        case HostAppKind::iterm2: return "iTerm2";
        case HostAppKind::warp: return "Warp";
        case HostAppKind::ghostty: return "Ghostty";
        case HostAppKind::wezterm: return "WezTerm";
        case HostAppKind::alacritty: return "Alacritty";
        case HostAppKind::vscode: return "VS Code";
        case HostAppKind::cursor: return "Cursor";
        case HostAppKind::chatgpt: return "ChatGPT";
        case HostAppKind::claudeDesktop: return "Claude Desktop";
    }
    return {};
}

}  // namespace quaylight
