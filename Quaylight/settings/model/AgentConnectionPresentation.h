#pragma once
// What the agent connections card shows for a provider's status: the caption under its
// title and the buttons beside it, the relay test line, and whether a connect may start.

#include <QString>
#include <optional>
#include <vector>

#include "ProcessCoreKit/records/AgentKind.h"
#include "Quaylight/agent-hooks/connections/AgentProviderConnection.h"
#include "Quaylight/design/controls/PremiumButton.h"

namespace quaylight {

enum class AgentConnectionAction { connect, repair, testRelay, disconnect };

struct AgentConnectionButton {
    AgentConnectionAction action = AgentConnectionAction::connect;
    QString title;
    PremiumButtonKind kind = PremiumButtonKind::primary;
    QString accessibleName;
    friend bool operator==(const AgentConnectionButton&, const AgentConnectionButton&) = default;
};

struct AgentConnectionPresentation {
    // "Codex" or "Claude".
    static QString title(AgentKind provider);
    // "~/.codex" or "~/.claude".
    static QString folder(AgentKind provider);
    // `eventTime`: the last event's time of day as the user's locale writes it, used only
    // for a connection with a last event.
    static QString caption(const AgentProviderConnectionStatus& status, AgentKind provider, const QString& eventTime);
    static std::vector<AgentConnectionButton> buttons(AgentKind provider, const AgentProviderConnectionStatus& status,
                                                      bool isConfigured);
    static QString relayTestLine(bool succeeded);
    // Hooks only work from the installed executable: the notice that stops a connect from
    // anywhere else (compared as exact text), or nothing when it may go ahead.
    static std::optional<QString> connectBlockedNotice(const std::string& runningPath, const std::string& installedPath,
                                                       const std::string& installedFolder);
};

}  // namespace quaylight
