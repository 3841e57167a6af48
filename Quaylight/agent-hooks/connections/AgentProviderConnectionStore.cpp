#include "Quaylight/agent-hooks/connections/AgentProviderConnectionStore.h"

#include <exception>
#include <stdexcept>

#include "Quaylight/agent-hooks/config/AgentHookCommand.h"
#include "Quaylight/agent-hooks/config/ProviderHookConfigurators.h"
#include "Quaylight/agent-hooks/paths/AgentHookPaths.h"
#include "Quaylight/agent-hooks/paths/InstalledExecutable.h"
#include "Quaylight/agent-hooks/relay/AgentHookRelay.h"
#include "QuaylightKit/support/LiveFileSystem.h"

namespace quaylight {
namespace {

using ConfigError = AgentHookConfigurator::ConfigError;
using StatusKind = AgentProviderConnectionStatus::Kind;

// The provider's word in these texts.
std::string nameOf(AgentKind provider) { return std::string(shortDisplayName(provider)); }

void runNow(const AgentProviderConnectionStore::Task& task) { task(); }

}  // namespace

AgentProviderConnectionStore::Dependencies AgentProviderConnectionStore::Dependencies::live(
    std::function<void(Task)> runInBackground, std::function<void(Task)> runOnMainThread) {
    Dependencies dependencies;
    dependencies.homeDirectory = currentHomeDirectory().path;
    dependencies.bundlePath = InstalledExecutable::runningPath().value_or("");
    dependencies.runInBackground = std::move(runInBackground);
    dependencies.runOnMainThread = std::move(runOnMainThread);
    return dependencies;
}

AgentProviderConnectionStore::AgentProviderConnectionStore(std::shared_ptr<UserDefaults> defaults,
                                                           Dependencies dependencies)
    : defaults_(std::move(defaults)),
      dependencies_(std::move(dependencies)),
      alive_(std::make_shared<AgentProviderConnectionStore*>(this)) {
    if (!defaults_) throw std::invalid_argument("the agent connections need the application's settings");
    if (!dependencies_.now) dependencies_.now = wallNow;
    if (!dependencies_.runInBackground) dependencies_.runInBackground = runNow;
    if (!dependencies_.runOnMainThread) dependencies_.runOnMainThread = runNow;
    refresh();
}

AgentProviderConnectionStore::~AgentProviderConnectionStore() = default;

std::string AgentProviderConnectionStore::configuredKey(AgentKind provider) {
    return "agentConnections." + std::string(rawValue(provider)) + ".configured";
}

std::string AgentProviderConnectionStore::failureNotice(const ConfigError& error, AgentKind provider) {
    const std::string name = nameOf(provider);
    switch (error.kind) {
        case ConfigError::Kind::fileIsSymlink:
            return "The " + name + " settings file is a symlink \u2014 Quaylight only edits regular files.";
        case ConfigError::Kind::notARegularFile:
            return "The " + name + " settings path isn't a regular file.";
        case ConfigError::Kind::notOwnedByCurrentUser:
            return "The " + name + " settings file isn't owned by you \u2014 fix its ownership, then retry.";
        case ConfigError::Kind::malformedJSON:
            return "The " + name +
                   " settings file contains invalid JSON. Quaylight won't overwrite it \u2014 fix the file, then retry.";
        case ConfigError::Kind::concurrentModification:
            return "The " + name +
                   " settings file changed while Quaylight was updating it. Nothing was written \u2014 retry.";
        case ConfigError::Kind::unwritable:
            break;
    }
    return "Couldn't update the " + name + " configuration: " + error.text;
}

void AgentProviderConnectionStore::setActionNotice(std::optional<std::string> notice) {
    actionNotice_ = std::move(notice);
    publish();
}

void AgentProviderConnectionStore::setReceiverFailure(std::optional<std::string> failure) {
    receiverFailure_ = std::move(failure);
    publish();
}

AgentProviderConnectionStore::ObserverID AgentProviderConnectionStore::addObserver(std::function<void()> observer) {
    ObserverID id = nextObserver_++;
    observers_.emplace(id, std::move(observer));
    return id;
}

void AgentProviderConnectionStore::removeObserver(ObserverID id) { observers_.erase(id); }

void AgentProviderConnectionStore::publish() {
    auto observers = observers_;  // an observer may remove itself
    for (auto& [id, observer] : observers) observer();
}

std::string AgentProviderConnectionStore::socketPath() const {
    return AgentHookPaths::standard(dependencies_.homeDirectory, dependencies_.userTemporaryDirectory).socketPath;
}

const std::set<std::string>& AgentProviderConnectionStore::ownedCommands() const {
    if (!ownedCommands_) {
        auto [preferred, fallback] =
            AgentHookPaths::candidates(dependencies_.homeDirectory, dependencies_.userTemporaryDirectory);
        ownedCommands_ = AgentHookCommand::ownedCommandSet({preferred.socketPath, fallback.socketPath});
    }
    return *ownedCommands_;
}

bool AgentProviderConnectionStore::isConfigured(AgentKind provider) const {
    return defaults_->boolForKey(configuredKey(provider));
}

AgentProviderConnectionStatus AgentProviderConnectionStore::status(AgentKind provider) const {
    if (dependencies_.bundlePath != InstalledExecutable::path())
        return AgentProviderConnectionStatus::unavailable("Quaylight must run from " + InstalledExecutable::folder() +
                                                          " to receive agent events.");
    if (!isConfigured(provider)) return AgentProviderConnectionStatus::of(StatusKind::notConfigured);
    const std::string name = nameOf(provider);
    auto state = AgentHookConfigurator::inspect(hookSettingsPath(provider, dependencies_.homeDirectory),
                                                desiredHookEntries(provider, socketPath()), ownedCommands());
    using InstallKind = AgentHookConfigurator::InstallState::Kind;
    switch (state.kind) {
        case InstallKind::missing:
            return AgentProviderConnectionStatus::repairNeeded(
                "Quaylight's entries are missing from the " + name +
                " settings \u2014 Repair reinstalls them, or Disconnect to stop listening.");
        case InstallKind::outdated:
            return AgentProviderConnectionStatus::repairNeeded(
                "The installed entries are out of date \u2014 Repair updates only Quaylight's own hooks.");
        case InstallKind::invalidJSON:
            return AgentProviderConnectionStatus::unavailable(
                failureNotice(ConfigError::of(ConfigError::Kind::malformedJSON), provider));
        case InstallKind::error:
            return AgentProviderConnectionStatus::unavailable(failureNotice(*state.error, provider));
        case InstallKind::installed:
            break;
    }
    if (auto last = lastEventAt_.find(provider); last != lastEventAt_.end())
        return AgentProviderConnectionStatus::connected(last->second);
    return AgentProviderConnectionStatus::of(provider == AgentKind::claude ? StatusKind::configuredAwaitingFirstEvent
                                                                           : StatusKind::configuredAwaitingTrust);
}

AgentProviderConnection AgentProviderConnectionStore::connection(AgentKind provider) const {
    for (const auto& connection : connections_)
        if (connection.provider == provider) return connection;
    return {provider, AgentProviderConnectionStatus::of(StatusKind::notConfigured), false};
}

void AgentProviderConnectionStore::refresh() {
    std::vector<AgentProviderConnection> fresh;
    for (AgentKind provider : allCases<AgentKind>()) fresh.push_back({provider, status(provider), isConfigured(provider)});
    connections_ = std::move(fresh);
    publish();
}

void AgentProviderConnectionStore::connect(AgentKind provider) {
    actionNotice_.reset();
    try {
        auto error = AgentHookConfigurator::install(hookSettingsPath(provider, dependencies_.homeDirectory),
                                                    desiredHookEntries(provider, socketPath()), ownedCommands());
        if (error)
            actionNotice_ = failureNotice(*error, provider);
        else
            defaults_->setBool(configuredKey(provider), true);  // only after a successful write
    } catch (const std::exception&) {
        actionNotice_ = "Couldn't update the " + nameOf(provider) + " configuration.";
    }
    refresh();
    if (onConfiguredChange) onConfiguredChange();
}

void AgentProviderConnectionStore::disconnect(AgentKind provider) {
    defaults_->setBool(configuredKey(provider), false);
    lastEventAt_.erase(provider);
    actionNotice_.reset();
    const std::string name = nameOf(provider);
    try {
        if (auto error = AgentHookConfigurator::removeAll(hookSettingsPath(provider, dependencies_.homeDirectory),
                                                          ownedCommands()))
            actionNotice_ = "Disconnected locally, but Quaylight's entries may remain in the " + name +
                            " settings: " + failureNotice(*error, provider);
    } catch (const std::exception&) {
        actionNotice_ = "Disconnected locally, but couldn't clean up the " + name + " settings file.";
    }
    refresh();
    if (onConfiguredChange) onConfiguredChange();
}

void AgentProviderConnectionStore::testRelay(AgentKind provider) {
    AgentHookProtocol::Envelope envelope{AgentHookProtocol::protocolVersion,
                                         provider,
                                         AgentHookProtocol::EventKind::connectionTest,
                                         AgentHookRelay::testSessionID,
                                         std::nullopt,
                                         0};
    auto bytes = AgentHookProtocol::encode(envelope);
    if (!bytes) {
        lastTestResult_ = TestResult{provider, false, dependencies_.now()};
        publish();
        return;
    }
    std::weak_ptr<AgentProviderConnectionStore*> alive = alive_;
    auto toMain = dependencies_.runOnMainThread;
    dependencies_.runInBackground([payload = *bytes, path = socketPath(), provider, alive, toMain] {
        if (AgentHookRelay::send(payload, path, AgentHookRelay::sendTimeoutSeconds)) return;
        toMain([provider, alive] {
            auto store = alive.lock();
            if (!store) return;
            AgentProviderConnectionStore& self = **store;
            self.lastTestResult_ = TestResult{provider, false, self.dependencies_.now()};
            self.publish();
        });
    });
}

void AgentProviderConnectionStore::recordEnvelope(const AgentHookProtocol::Envelope& envelope, WallTime receivedAt) {
    if (envelope.event == AgentHookProtocol::EventKind::connectionTest)
        lastTestResult_ = TestResult{envelope.provider, true, receivedAt};
    else
        lastEventAt_[envelope.provider] = receivedAt;
    refresh();
}

}  // namespace quaylight
