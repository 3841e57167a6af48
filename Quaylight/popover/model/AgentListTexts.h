#pragma once
// The Agents tab's texts and decisions around its list: the provider chips, the four states
// that take the list's place with their buttons, the footer sentence and its connect link,
// and the rule that lets a provider be connected only from the installed executable.
// Integers are plain decimal; plurals add "s" unless the count is 1.

#include <optional>
#include <string>
#include <vector>

#include "ProcessCoreKit/records/AgentKind.h"
#include "Quaylight/agent-hooks/connections/AgentProviderConnection.h"
#include "Quaylight/agent-inventory/list/AgentInventoryListModel.h"
#include "Quaylight/agent-inventory/list/AgentsPanelPrompts.h"
#include "Quaylight/agent-inventory/model/AgentInventorySnapshot.h"
#include "Quaylight/agent-inventory/model/PanelMode.h"
#include "Quaylight/design/controls/PremiumButton.h"
#include "Quaylight/design/icons/LucideIconName.h"

namespace quaylight {

struct AgentListChip {
    AgentProviderFilter filter = AgentProviderFilter::all;
    std::string title;               // "Codex 3"
    std::string accessibilityLabel;  // "Codex agents filter, 3 agents"
    bool selected = false;
    friend bool operator==(const AgentListChip&, const AgentListChip&) = default;
};

// What a state's button does when pressed.
struct AgentListAction {
    enum class Kind { connect, showAllAgents, retryReceiver };
    Kind kind = Kind::showAllAgents;
    AgentKind provider = AgentKind::codex;  // `connect` only
    friend bool operator==(const AgentListAction&, const AgentListAction&) = default;
};

struct AgentListStateButton {
    std::string title;
    PremiumButtonKind kind = PremiumButtonKind::primary;
    AgentListAction action;
    friend bool operator==(const AgentListStateButton&, const AgentListStateButton&) = default;
};

// A centred state in the list's place.
struct AgentListState {
    enum class Kind { receiverFailed, connectionEmpty, providerEmpty, noMatches };
    enum class Tint { warning, textTertiary };
    Kind kind = Kind::connectionEmpty;
    int spacing = 10;
    LucideIconName icon = LucideIconName::terminal;
    Tint tint = Tint::textTertiary;
    std::string title;
    std::string detail;
    std::vector<AgentListStateButton> buttons;
    friend bool operator==(const AgentListState&, const AgentListState&) = default;
};

struct AgentListFooter {
    std::string text;
    bool stale = false;  // drawn in the warning colour
    // The link beside Quit while a provider waits to be connected.
    std::optional<AgentKind> connectProvider;
    std::string connectTitle;               // "Connect Codex"
    std::string connectAccessibilityLabel;  // "Connect Codex agent sessions"
    friend bool operator==(const AgentListFooter&, const AgentListFooter&) = default;
};

struct AgentListTexts {
    // "All", "Codex", "Claude".
    static std::string filterTitle(AgentProviderFilter filter);

    static std::string chipAccessibilityLabel(AgentProviderFilter filter, int count);
    // All, Codex, Claude with the model's counts; the active one selected.
    static std::vector<AgentListChip> chips(const AgentInventoryListModel& model, AgentProviderFilter active);

    static std::string emptyStateDetail(const std::optional<AgentsConnectionPrompt>& prompt);
    static std::string providerEmptyDetail(AgentProviderFilter filter,
                                           const std::optional<AgentsConnectionPrompt>& prompt,
                                           const std::optional<AgentsConnectionPrompt>& globalPrompt);
    // The provider the provider-empty state offers to connect, if any.
    static std::optional<AgentKind> providerEmptyConnect(AgentProviderFilter filter,
                                                         const std::vector<AgentProviderConnection>& connections);

    // The state that takes the list's place; none while the content lists sections. A
    // receiver failure shows only in place of the two empty contents.
    static std::optional<AgentListState> state(AgentInventoryListModel::Content::Kind content,
                                               AgentProviderFilter filter,
                                               const std::vector<AgentProviderConnection>& connections,
                                               const std::optional<std::string>& receiverFailure);

    static AgentListFooter footer(const InventoryFreshness& freshness,
                                  const std::vector<AgentProviderConnection>& connections);

    // The next moment any of these sessions' rows changes its age texts; none without starts.
    static std::optional<WallTime> nextLabelChange(WallTime now, const std::vector<AgentSessionSnapshot>& sessions);

    // Hooks only reach the installed executable: connecting from any other copy is refused
    // with this hint ("Move Quaylight to <folder>, then connect."). None when `bundlePath`
    // is exactly `installedPath`.
    static std::optional<std::string> connectRefusal(const std::string& bundlePath, const std::string& installedPath,
                                                     const std::string& installedFolder);
};

}  // namespace quaylight
