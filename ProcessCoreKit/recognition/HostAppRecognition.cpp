#include "ProcessCoreKit/recognition/HostAppRecognition.h"

#include <array>
#include <string_view>
#include <unordered_map>

#include "ProcessCoreKit/support/Text.h"

namespace quaylight {
namespace {

using Entry = std::pair<std::string_view, HostAppKind>;

constexpr std::array<Entry, 12> kKindsByBundleIdentifier{{
    {"com.apple.Terminal", HostAppKind::terminal},
    {"com.googlecode.iterm2", HostAppKind::iterm2},
    {"dev.warp.Warp-Stable", HostAppKind::warp},
    {"com.microsoft.VSCode", HostAppKind::vscode},
    {"com.microsoft.VSCodeInsiders", HostAppKind::vscode},
    {"com.visualstudio.code.oss", HostAppKind::vscode},
    {"com.todesktop.230313mzl4w4u92", HostAppKind::cursor},
    {"com.mitchellh.ghostty", HostAppKind::ghostty},
    {"com.github.wez.wezterm", HostAppKind::wezterm},
    {"org.alacritty", HostAppKind::alacritty},
    {"com.openai.codex", HostAppKind::chatgpt},
    {"com.anthropic.claudefordesktop", HostAppKind::claudeDesktop},
}};

// The macOS executables first, then the Linux desktop's terminals and editors.
constexpr std::array<Entry, 30> kKindsByExecutableBasename{{
    {"Terminal", HostAppKind::terminal},
    {"iTerm2", HostAppKind::iterm2},
    {"Warp", HostAppKind::warp},
    {"Cursor", HostAppKind::cursor},
    {"ghostty", HostAppKind::ghostty},
    {"wezterm", HostAppKind::wezterm},
    {"wezterm-gui", HostAppKind::wezterm},
    {"alacritty", HostAppKind::alacritty},
    {"ChatGPT", HostAppKind::chatgpt},
    {"Claude", HostAppKind::claudeDesktop},
    {"gnome-terminal-server", HostAppKind::terminal},
    {"kgx", HostAppKind::terminal},
    {"ptyxis", HostAppKind::terminal},
    {"konsole", HostAppKind::terminal},
    {"xfce4-terminal", HostAppKind::terminal},
    {"mate-terminal", HostAppKind::terminal},
    {"lxterminal", HostAppKind::terminal},
    {"qterminal", HostAppKind::terminal},
    {"tilix", HostAppKind::terminal},
    {"xterm", HostAppKind::terminal},
    {"urxvt", HostAppKind::terminal},
    {"kitty", HostAppKind::terminal},
    {"foot", HostAppKind::terminal},
    {"terminology", HostAppKind::terminal},
    {"code", HostAppKind::vscode},
    {"code-insiders", HostAppKind::vscode},
    {"codium", HostAppKind::vscode},
    {"code-oss", HostAppKind::vscode},
    {"cursor", HostAppKind::cursor},
    {"warp-terminal", HostAppKind::warp},
}};

template <std::size_t N>
std::unordered_map<std::string_view, HostAppKind> indexTable(const std::array<Entry, N>& table) {
    std::unordered_map<std::string_view, HostAppKind> map;
    for (const auto& [key, kind] : table) map.emplace(key, kind);
    return map;
}

}  // namespace

std::optional<HostAppKind> HostAppRecognition::recognize(const ProcessSnapshot& snapshot) {
    if (snapshot.bundleIdentifier) {
        static const auto byBundle = indexTable(kKindsByBundleIdentifier);
        if (auto it = byBundle.find(*snapshot.bundleIdentifier); it != byBundle.end()) return it->second;
    }
    auto basename = basenameOrName(snapshot.executablePath, snapshot.name);
    if (!basename) return std::nullopt;
    static const auto byBasename = indexTable(kKindsByExecutableBasename);
    if (auto it = byBasename.find(*basename); it != byBasename.end()) return it->second;
    return std::nullopt;
}

}  // namespace quaylight
