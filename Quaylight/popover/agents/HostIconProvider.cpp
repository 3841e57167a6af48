#include "Quaylight/popover/agents/HostIconProvider.h"

namespace quaylight {

std::vector<std::string_view> hostDesktopIconNames(HostAppKind kind) {
    switch (kind) {
        case HostAppKind::terminal:
            return {"org.gnome.Terminal", "org.gnome.Console", "org.kde.konsole", "utilities-terminal"};
        case HostAppKind::iterm2: return {"utilities-terminal"};
        case HostAppKind::warp: return {"dev.warp.Warp", "warp-terminal"};
        case HostAppKind::ghostty: return {"com.mitchellh.ghostty", "ghostty"};
        case HostAppKind::wezterm: return {"org.wezfurlong.wezterm", "wezterm"};
        case HostAppKind::alacritty: return {"Alacritty", "alacritty"};
        case HostAppKind::vscode: return {"vscode", "code", "com.visualstudio.code"};
        case HostAppKind::cursor: return {"cursor", "co.anysphere.cursor"};
        case HostAppKind::chatgpt: return {"chatgpt"};
        case HostAppKind::claudeDesktop: return {"claude-desktop", "claude"};
    }
    return {};
}

std::optional<QIcon> ThemeHostIconProvider::icon(const AgentHostDescriptor& host) {
    if (auto found = cache_.find(host.kind); found != cache_.end()) return found->second;
    std::optional<QIcon> icon;
    for (auto name : hostDesktopIconNames(host.kind)) {
        auto themed = QIcon::fromTheme(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
        if (!themed.isNull()) {
            icon = themed;
            break;
        }
    }
    cache_.emplace(host.kind, icon);
    return icon;
}

}  // namespace quaylight
