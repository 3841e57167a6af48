#include "Quaylight/popover/model/PopoverTexts.h"

#include "Quaylight/shell/ScanTimeText.h"

namespace quaylight {

PopoverSurface popoverSurface(bool launchAtLoginOfferCompleted, bool onboardingComplete) {
    if (!launchAtLoginOfferCompleted) return PopoverSurface::launchAtLoginOffer;
    return onboardingComplete ? PopoverSurface::listenerList : PopoverSurface::walkthrough;
}

std::string counted(std::int64_t count, const std::string& word) {
    return std::to_string(count) + " " + word + (count == 1 ? "" : "s");
}

ScanResult scopedResult(const ScanResult& result, const std::optional<AgentProcessIdentity>& scope) {
    if (!scope) return result;
    ScanResult narrowed;
    narrowed.agentPresence = result.agentPresence;
    narrowed.scannedAt = result.scannedAt;
    narrowed.processCount = result.processCount;
    for (const auto& listener : result.listeners)
        if (listener.agentProcess && *listener.agentProcess == *scope) narrowed.listeners.push_back(listener);
    return narrowed;
}

ListenerListModel listModelFor(const ScanResult& scoped, const PopoverInputs& inputs) {
    return ListenerListModel::build(
        scoped, ListenerPreferences{inputs.filter, inputs.searchText, inputs.sortMode, inputs.activityByID});
}

std::vector<PortListener> renderedListeners(const ListenerListModel& model, bool showSystem) {
    const auto* rows = model.rows();
    if (!rows) return {};
    std::vector<PortListener> listeners = rows->visible;
    if (showSystem) listeners.insert(listeners.end(), rows->hidden.begin(), rows->hidden.end());
    return listeners;
}

std::optional<std::string> listenerCountText(PopoverSurface surface, PanelMode mode, std::int64_t agentSessions,
                                             const ScanResult* scoped, const ListenerListModel* model,
                                             FilterCategory filter, const std::string& searchText) {
    if (surface != PopoverSurface::listenerList) return std::nullopt;
    if (mode == PanelMode::agents) return counted(agentSessions, "agent");
    if (!scoped || !model) return std::nullopt;
    const std::int64_t all = scoped->visibleCount();
    if (filter == FilterCategory::all && searchText.empty()) return counted(all, "listener");
    std::int64_t shown = 0;
    if (model->hasNoListeners()) shown = all;
    else if (const auto* rows = model->rows()) shown = static_cast<std::int64_t>(rows->visible.size());
    return std::to_string(shown) + " of " + std::to_string(all);
}

std::optional<std::string> lastScannedText(PopoverSurface surface, const PortsState& state) {
    const auto* result = std::get_if<ScanResult>(&state);
    if (surface != PopoverSurface::listenerList || !result) return std::nullopt;
    return "Ports last scanned at " + mediumLocalTime(result->scannedAt);
}

std::optional<NoticeChoice> chooseNotice(PopoverSurface surface, bool showSettings, PanelMode mode,
                                         const std::optional<std::string>& actionNotice,
                                         const std::optional<std::string>& killNotice) {
    if (surface != PopoverSurface::listenerList || showSettings) return std::nullopt;
    if (mode == PanelMode::agents && actionNotice)
        return NoticeChoice{NoticeChoice::Source::agentConnections, *actionNotice};
    if (killNotice) return NoticeChoice{NoticeChoice::Source::stopAction, *killNotice};
    return std::nullopt;
}

namespace {

std::string runningAgentsLine(std::int64_t count, const std::string& provider) {
    return std::to_string(count) + " " + provider + " agent" + (count == 1 ? "" : "s") +
           " running · see Agents for sessions";
}

}  // namespace

std::string listFooterText(bool exactScope, FilterCategory filter, const AgentProcessPresenceSnapshot& agents,
                           std::int64_t hiddenCount, bool showSystem) {
    if (exactScope) return "Showing only ports this agent's processes own";
    if (filter == FilterCategory::codex || filter == FilterCategory::claude) {
        const AgentKind kind = filter == FilterCategory::codex ? AgentKind::codex : AgentKind::claude;
        const auto count = agents.count(kind);
        if (count < 1) return "Showing agent-attributed ports";
        return runningAgentsLine(count, std::string(displayName(kind)));
    }
    if (filter == FilterCategory::agents) {
        const auto count = agents.totalCount();
        if (count < 1) return "Showing agent-attributed ports";
        // No single provider: the line counts agents of both.
        return std::to_string(count) + " agent" + (count == 1 ? "" : "s") + " running · see Agents for sessions";
    }
    if (hiddenCount < 1) return "↑↓ select · O open · T focus · K stop";
    if (showSystem) return "Showing system & background listeners";
    return counted(hiddenCount, "system & background listener") + " hidden";
}

std::string emptyStateDetail(std::int64_t agentSessions) {
    if (agentSessions < 1) return "Nothing is listening on a local port right now.";
    return std::to_string(agentSessions) + " agent session" + (agentSessions == 1 ? " is" : "s are") +
           " running, but none has an attributed local listener.";
}

bool isAgentFilter(FilterCategory filter) {
    return filter == FilterCategory::agents || filter == FilterCategory::codex || filter == FilterCategory::claude;
}

std::int64_t agentSessionCount(FilterCategory filter, const AgentProcessPresenceSnapshot& agents) {
    switch (filter) {
        case FilterCategory::agents: return agents.totalCount();
        case FilterCategory::codex: return agents.count(AgentKind::codex);
        case FilterCategory::claude: return agents.count(AgentKind::claude);
        default: return 0;
    }
}

std::string agentSessionTitle(std::int64_t count, FilterCategory filter) {
    if (count < 1) {
        if (filter == FilterCategory::claude) return "No Claude Code sessions detected";
        if (filter == FilterCategory::codex) return "No Codex sessions detected";
        return "No agent sessions detected";
    }
    const std::string noun = filter == FilterCategory::claude  ? "Claude Code session"
                             : filter == FilterCategory::codex ? "Codex session"
                                                               : "agent session";
    return counted(count, noun) + " running";
}

std::string agentSessionDetail(std::int64_t count, FilterCategory filter) {
    if (count >= 1) return "None currently has an attributed local listener.";
    if (filter == FilterCategory::codex) return "No local listeners are attributed to Codex either.";
    if (filter == FilterCategory::claude) return "No local listeners are attributed to Claude Code either.";
    return "No local listeners are attributed to Codex or Claude Code either.";
}

ListBody listBodyFor(const ListenerListModel& model, bool exactScope, FilterCategory filter,
                     const std::string& searchText) {
    if (model.hasNoMatches())
        return isAgentFilter(filter) && searchText.empty() ? ListBody::agentSessions : ListBody::noMatches;
    if (model.hasNoListeners()) {
        if (exactScope) return ListBody::exactScopeEmpty;
        if (isAgentFilter(filter) && searchText.empty()) return ListBody::agentSessions;
        return ListBody::emptyState;
    }
    return ListBody::rows;
}

bool portsColumnShowsList(const ListenerListModel& model, const AgentProcessPresenceSnapshot& agents,
                          bool exactScope) {
    return !model.hasNoListeners() || agents.totalCount() > 0 || exactScope;
}

}  // namespace quaylight
