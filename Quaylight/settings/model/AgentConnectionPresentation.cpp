#include "Quaylight/settings/model/AgentConnectionPresentation.h"

namespace quaylight {
namespace {

using Kind = AgentProviderConnectionStatus::Kind;

AgentConnectionButton connectButton(const QString& title) {
    return {AgentConnectionAction::connect, QStringLiteral("Connect"), PremiumButtonKind::primary,
            QStringLiteral("Connect ") + title};
}
AgentConnectionButton repairButton(const QString& title) {
    return {AgentConnectionAction::repair, QStringLiteral("Repair"), PremiumButtonKind::primary,
            QStringLiteral("Repair ") + title + QStringLiteral(" connection")};
}
AgentConnectionButton testButton(const QString& title) {
    return {AgentConnectionAction::testRelay, QStringLiteral("Test relay"), PremiumButtonKind::secondary,
            QStringLiteral("Test ") + title + QStringLiteral(" relay")};
}
AgentConnectionButton disconnectButton(const QString& title) {
    return {AgentConnectionAction::disconnect, QStringLiteral("Disconnect"), PremiumButtonKind::ghost,
            QStringLiteral("Disconnect ") + title};
}

}  // namespace

QString AgentConnectionPresentation::title(AgentKind provider) {
    return provider == AgentKind::claude ? QStringLiteral("Claude") : QStringLiteral("Codex");
}

QString AgentConnectionPresentation::folder(AgentKind provider) {
    return provider == AgentKind::claude ? QStringLiteral("~/.claude") : QStringLiteral("~/.codex");
}

QString AgentConnectionPresentation::caption(const AgentProviderConnectionStatus& status, AgentKind provider,
                                             const QString& eventTime) {
    switch (status.kind) {
        case Kind::connected:
            if (status.lastEventAt) return QStringLiteral("Connected · last event at ") + eventTime;
            return QStringLiteral("Connected.");
        case Kind::repairNeeded:
        case Kind::unavailable: return QString::fromStdString(status.reason);
        case Kind::notConfigured:
            return QStringLiteral("Not connected. Connect installs Quaylight's event hooks in your ") + folder(provider) +
                   QStringLiteral(" settings.");
        case Kind::configuredAwaitingFirstEvent:
            return title(provider) + QStringLiteral(" is configured and waiting for its first trusted event.");
        case Kind::configuredAwaitingTrust:
            return QStringLiteral(
                "Installed — approve Quaylight's hooks in Codex's hook-trust prompt to finish connecting.");
    }
    return {};
}

std::vector<AgentConnectionButton> AgentConnectionPresentation::buttons(AgentKind provider,
                                                                        const AgentProviderConnectionStatus& status,
                                                                        bool isConfigured) {
    const QString name = title(provider);
    switch (status.kind) {
        case Kind::connected:
        case Kind::configuredAwaitingFirstEvent:
        case Kind::configuredAwaitingTrust: return {testButton(name), disconnectButton(name)};
        case Kind::repairNeeded: return {repairButton(name), disconnectButton(name)};
        case Kind::unavailable:
            if (isConfigured) return {disconnectButton(name)};
            return {};
        case Kind::notConfigured: return {connectButton(name)};
    }
    return {};
}

QString AgentConnectionPresentation::relayTestLine(bool succeeded) {
    return succeeded ? QStringLiteral("Relay test passed — the socket and app are reachable.")
                     : QStringLiteral("Relay test failed — Quaylight's socket isn't reachable.");
}

std::optional<QString> AgentConnectionPresentation::connectBlockedNotice(const std::string& runningPath,
                                                                         const std::string& installedPath,
                                                                         const std::string& installedFolder) {
    if (runningPath == installedPath) return std::nullopt;
    return QStringLiteral("Move Quaylight to ") + QString::fromStdString(installedFolder) +
           QStringLiteral(", then connect.");
}

}  // namespace quaylight
