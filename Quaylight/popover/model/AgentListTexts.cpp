#include "Quaylight/popover/model/AgentListTexts.h"

#include "Quaylight/popover/model/AgentRowTexts.h"
#include "Quaylight/settings/model/AgentConnectionPresentation.h"

namespace quaylight {

namespace {

using Prompt = AgentsConnectionPrompt;
using OptionalPrompt = std::optional<AgentsConnectionPrompt>;

std::optional<AgentKind> providerOf(AgentProviderFilter filter) {
    switch (filter) {
        case AgentProviderFilter::codex: return AgentKind::codex;
        case AgentProviderFilter::claude: return AgentKind::claude;
        case AgentProviderFilter::all: break;
    }
    return std::nullopt;
}

bool isConnect(const OptionalPrompt& prompt) { return prompt && prompt->kind == Prompt::Kind::connect; }

std::string connectTitle(AgentKind provider) { return "Connect " + std::string(shortDisplayName(provider)); }

AgentListStateButton connectButton(AgentKind provider) {
    return {connectTitle(provider), PremiumButtonKind::primary, {AgentListAction::Kind::connect, provider}};
}

AgentListStateButton showAllButton(PremiumButtonKind kind) {
    return {"Show all agents", kind, {AgentListAction::Kind::showAllAgents, AgentKind::codex}};
}

}  // namespace

std::string AgentListTexts::filterTitle(AgentProviderFilter filter) {
    const auto provider = providerOf(filter);
    return provider ? std::string(shortDisplayName(*provider)) : "All";
}

std::string AgentListTexts::chipAccessibilityLabel(AgentProviderFilter filter, int count) {
    return filterTitle(filter) + " agents filter, " + std::to_string(count) + " agent" + (count == 1 ? "" : "s");
}

std::vector<AgentListChip> AgentListTexts::chips(const AgentInventoryListModel& model, AgentProviderFilter active) {
    const std::pair<AgentProviderFilter, int> counts[] = {
        {AgentProviderFilter::all, model.allCount},
        {AgentProviderFilter::codex, model.codexCount},
        {AgentProviderFilter::claude, model.claudeCount},
    };
    std::vector<AgentListChip> result;
    for (const auto& [filter, count] : counts) {
        result.push_back({filter, filterTitle(filter) + " " + std::to_string(count),
                          chipAccessibilityLabel(filter, count), filter == active});
    }
    return result;
}

std::string AgentListTexts::emptyStateDetail(const OptionalPrompt& prompt) {
    if (!prompt) return "CLI agents appear automatically. Connected desktop sessions appear here when active.";
    const std::string name(shortDisplayName(prompt->provider));
    switch (prompt->kind) {
        case Prompt::Kind::connect:
            return "CLI agents appear automatically. Connect " + name + " to include its desktop sessions.";
        case Prompt::Kind::approveHooks:
            return "Approve Quaylight\u2019s hooks in " + name +
                   " to finish connecting. CLI agents still appear automatically.";
        case Prompt::Kind::awaitingFirstEvent:
            return name + " is connected and waiting for its first trusted event. CLI agents still appear automatically.";
        case Prompt::Kind::reviewConnection:
            return "Review the " + name + " connection in Settings. CLI agents still appear automatically.";
    }
    return {};
}

std::string AgentListTexts::providerEmptyDetail(AgentProviderFilter filter, const OptionalPrompt& prompt,
                                                const OptionalPrompt& globalPrompt) {
    if (!prompt) {
        return "Clear the provider filter to see other active agents. Connected " + filterTitle(filter) +
               " desktop sessions appear here when active.";
    }
    if (providerOf(filter) != prompt->provider)
        return "Clear the provider filter or review provider connections in Settings.";
    if (!isConnect(prompt) || !globalPrompt || globalPrompt == prompt) return emptyStateDetail(prompt);
    return filterTitle(filter) + " is not connected yet. " + emptyStateDetail(globalPrompt);
}

std::optional<AgentKind> AgentListTexts::providerEmptyConnect(AgentProviderFilter filter,
                                                              const std::vector<AgentProviderConnection>& connections) {
    const auto provider = providerOf(filter);
    if (!provider) return std::nullopt;
    const auto prompt = Prompt::resolve(*provider, connections);
    const auto global = Prompt::resolve(connections);
    if (isConnect(prompt) && global && global == prompt) return prompt->provider;
    return std::nullopt;
}

std::optional<AgentListState> AgentListTexts::state(AgentInventoryListModel::Content::Kind content,
                                                    AgentProviderFilter filter,
                                                    const std::vector<AgentProviderConnection>& connections,
                                                    const std::optional<std::string>& receiverFailure) {
    using Content = AgentInventoryListModel::Content::Kind;
    if (content == Content::sections) return std::nullopt;
    if (content == Content::noSearchMatches) {
        return AgentListState{AgentListState::Kind::noMatches,
                              6,
                              LucideIconName::search,
                              AgentListState::Tint::textTertiary,
                              "No matching agents",
                              "No agent's provider, app, project, or state matches the search.",
                              {}};
    }
    const bool providerEmpty = content == Content::providerEmpty;
    const auto variant = AgentsEmptyStateVariant::resolve(connections, receiverFailure);
    if (variant.kind == AgentsEmptyStateVariant::Kind::receiverFailed) {
        AgentListState failed{AgentListState::Kind::receiverFailed,
                              10,
                              LucideIconName::shield,
                              AgentListState::Tint::warning,
                              "Connected, but not receiving",
                              variant.failure,
                              {{"Retry", PremiumButtonKind::primary, {AgentListAction::Kind::retryReceiver, AgentKind::codex}}}};
        if (providerEmpty) failed.buttons.push_back(showAllButton(PremiumButtonKind::secondary));
        return failed;
    }
    const auto global = Prompt::resolve(connections);
    if (!providerEmpty) {
        AgentListState empty{AgentListState::Kind::connectionEmpty,
                             10,
                             LucideIconName::terminal,
                             AgentListState::Tint::textTertiary,
                             "No local agents detected",
                             emptyStateDetail(global),
                             {}};
        if (isConnect(global)) empty.buttons.push_back(connectButton(global->provider));
        return empty;
    }
    const auto provider = providerOf(filter);
    const OptionalPrompt prompt = provider ? Prompt::resolve(*provider, connections) : std::nullopt;
    AgentListState state{AgentListState::Kind::providerEmpty,
                         8,
                         LucideIconName::terminal,
                         AgentListState::Tint::textTertiary,
                         "No " + filterTitle(filter) + " agents detected",
                         providerEmptyDetail(filter, prompt, global),
                         {}};
    const auto connect = providerEmptyConnect(filter, connections);
    if (connect) state.buttons.push_back(connectButton(*connect));
    state.buttons.push_back(showAllButton(connect ? PremiumButtonKind::secondary : PremiumButtonKind::primary));
    return state;
}

AgentListFooter AgentListTexts::footer(const InventoryFreshness& freshness,
                                       const std::vector<AgentProviderConnection>& connections) {
    AgentListFooter footer;
    footer.stale = freshness.isStale;
    const auto global = Prompt::resolve(connections);
    if (isConnect(global)) {
        footer.connectProvider = global->provider;
        footer.connectTitle = connectTitle(global->provider);
        footer.connectAccessibilityLabel = footer.connectTitle + " agent sessions";
    }
    if (freshness.isStale) {
        footer.text = "Showing last known agents \u2014 the current scan is unavailable";
        return footer;
    }
    if (!global) {
        footer.text = "CLI agents are detected automatically";
        return footer;
    }
    const std::string name(shortDisplayName(global->provider));
    switch (global->kind) {
        case Prompt::Kind::connect: footer.text = "Connect " + name + " to include its desktop sessions"; break;
        case Prompt::Kind::approveHooks: footer.text = "Approve Quaylight\u2019s hooks in " + name + " to finish connecting"; break;
        case Prompt::Kind::awaitingFirstEvent: footer.text = name + " is connected and waiting for its first event"; break;
        case Prompt::Kind::reviewConnection: footer.text = "Review the " + name + " connection in Settings"; break;
    }
    return footer;
}

std::optional<WallTime> AgentListTexts::nextLabelChange(WallTime now,
                                                        const std::vector<AgentSessionSnapshot>& sessions) {
    std::optional<WallTime> next;
    for (const auto& session : sessions) {
        const auto change = nextAgentRowTextChange(session, now);
        if (change && (!next || *change < *next)) next = change;
    }
    return next;
}

std::optional<std::string> AgentListTexts::connectRefusal(const std::string& bundlePath,
                                                          const std::string& installedPath,
                                                          const std::string& installedFolder) {
    // The settings card refuses a connect with the same rule and the same words.
    auto notice = AgentConnectionPresentation::connectBlockedNotice(bundlePath, installedPath, installedFolder);
    if (!notice) return std::nullopt;
    return notice->toStdString();
}

}  // namespace quaylight
