#include "Quaylight/popover/model/AgentHostSectionTexts.h"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>

namespace quaylight {

LucideIconName hostFallbackIcon(const std::optional<HostAppKind>& kind) {
    if (!kind) return LucideIconName::terminal;
    switch (*kind) {
        case HostAppKind::vscode:
        case HostAppKind::cursor:
        case HostAppKind::chatgpt:
        case HostAppKind::claudeDesktop: return LucideIconName::monitor;
        case HostAppKind::terminal:
        case HostAppKind::iterm2:
        case HostAppKind::warp:
        case HostAppKind::ghostty:
        case HostAppKind::wezterm:
        case HostAppKind::alacritty: break;
    }
    return LucideIconName::terminal;
}

AgentHostSectionTexts agentHostSectionTexts(const AgentInventoryListModel::Section& section) {
    AgentHostSectionTexts texts;
    texts.sectionID = section.id();
    texts.displayName = section.host ? section.host->displayName : "Unknown app";
    // Host names are the kinds' own ASCII names, so byte-wise capitals are exact.
    texts.headerTitle = texts.displayName;
    std::transform(texts.headerTitle.begin(), texts.headerTitle.end(), texts.headerTitle.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    texts.count = static_cast<int>(section.rows.size());
    texts.countText = fmt::format("· {}", texts.count);
    texts.accessibilityLabel =
        fmt::format("{}, {} agent{}", texts.displayName, texts.count, texts.count == 1 ? "" : "s");
    texts.fallbackIcon = hostFallbackIcon(section.host ? std::optional(section.host->kind) : std::nullopt);
    return texts;
}

}  // namespace quaylight
