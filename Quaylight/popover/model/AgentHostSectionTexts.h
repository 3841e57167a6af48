#pragma once
// The header of one host section of the agents list: its name, count, spoken label and
// which vector icon stands in when the host app's own icon is missing. Pure.

#include <optional>
#include <string>

#include "Quaylight/agent-inventory/list/AgentInventoryListModel.h"
#include "Quaylight/design/icons/LucideIconName.h"

namespace quaylight {

struct AgentHostSectionTexts {
    std::string sectionID;
    std::string displayName;  // the host's name, or "Unknown app"
    std::string headerTitle;  // the display name in capitals
    std::string countText;    // "· 3"
    std::string accessibilityLabel;  // "Unknown app, 1 agent"
    int count = 0;
    LucideIconName fallbackIcon = LucideIconName::terminal;
    friend bool operator==(const AgentHostSectionTexts&, const AgentHostSectionTexts&) = default;
};

AgentHostSectionTexts agentHostSectionTexts(const AgentInventoryListModel::Section& section);

// `monitor` for editors and desktop apps, `terminal` for terminals and for no host.
LucideIconName hostFallbackIcon(const std::optional<HostAppKind>& kind);

}  // namespace quaylight
