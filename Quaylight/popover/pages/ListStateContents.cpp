#include "Quaylight/popover/pages/ListStateContents.h"

#include "Quaylight/design/theme/PremiumTheme.h"

namespace quaylight {

namespace {

QString q(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

ListStateContent portsStateContent(ListBody body, const AgentProcessPresenceSnapshot& agents, FilterCategory filter,
                                   const PopoverCommands& commands) {
    const PopoverCommands* c = &commands;
    ListStateContent stateContent;
    stateContent.iconColor = PremiumTheme::textTertiary();
    switch (body) {
        case ListBody::emptyState:
            stateContent.name = QStringLiteral("emptyState");
            stateContent.spacing = 10;
            stateContent.icon = ListStateContent::Icon::plugMark;
            stateContent.title = QStringLiteral("No local listeners");
            stateContent.detail = q(emptyStateDetail(agents.totalCount()));
            break;
        case ListBody::exactScopeEmpty:
            stateContent.name = QStringLiteral("exactScopeEmptyState");
            stateContent.lucide = LucideIconName::hash;
            stateContent.title = QStringLiteral("No ports related to this agent right now");
            stateContent.detail = QStringLiteral("Related listeners appear here while the agent's servers are running.");
            stateContent.buttonsTopPadding = 2;
            stateContent.buttons.push_back({QStringLiteral("Remove scope"), PremiumButtonKind::primary, [c] {
                                        if (c->clearExactScope) c->clearExactScope();
                                    }});
            break;
        case ListBody::noMatches:
            stateContent.name = QStringLiteral("noMatchesState");
            stateContent.spacing = 6;
            stateContent.lucide = LucideIconName::search;
            stateContent.title = QStringLiteral("No matching listeners");
            stateContent.buttons.push_back({QStringLiteral("Clear filters"), PremiumButtonKind::primary, [c] {
                                        if (c->setFilter) c->setFilter(FilterCategory::all);
                                        if (c->setSearchText) c->setSearchText({});
                                    }});
            break;
        case ListBody::agentSessions: {
            const auto count = agentSessionCount(filter, agents);
            stateContent.name = QStringLiteral("agentSessionState");
            stateContent.lucide = LucideIconName::terminal;
            stateContent.iconColor = count >= 1 ? PremiumTheme::info() : PremiumTheme::textTertiary();
            stateContent.title = q(agentSessionTitle(count, filter));
            stateContent.detail = q(agentSessionDetail(count, filter));
            stateContent.buttonsTopPadding = 2;
            stateContent.buttons.push_back({QStringLiteral("View Agents"), PremiumButtonKind::primary, [c] {
                                        if (c->selectPanelMode) c->selectPanelMode(PanelMode::agents);
                                    }});
            stateContent.buttons.push_back({QStringLiteral("Show all ports"), PremiumButtonKind::secondary, [c] {
                                        if (c->setFilter) c->setFilter(FilterCategory::all);
                                        if (c->setSearchText) c->setSearchText({});
                                    }});
            break;
        }
        case ListBody::rows: break;
    }
    return stateContent;
}

ListStateContent scanErrorContent(const QString& message, const PopoverCommands& commands) {
    const PopoverCommands* c = &commands;
    ListStateContent stateContent;
    stateContent.name = QStringLiteral("errorState");
    stateContent.lucide = LucideIconName::shield;
    stateContent.iconColor = PremiumTheme::warning();
    stateContent.detail = message;
    stateContent.detailSize = 13;
    stateContent.buttons.push_back({QStringLiteral("Try Again"), PremiumButtonKind::primary, [c] {
                                        if (c->requestScan) c->requestScan();
                                    }});
    return stateContent;
}

QString stateKey(const ListStateContent& content) {
    return content.name + QLatin1Char('|') + content.title.value_or(QString()) + QLatin1Char('|') +
           content.detail.value_or(QString());
}

}  // namespace quaylight
