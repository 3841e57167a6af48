#pragma once
// The one owner of the agent hook connections inside the application: remembers which
// providers the user connected, installs and removes their hook entries, works out each
// provider's status, runs the relay self-test, and publishes the results with a notice
// about the last failed action. Lives on the application's main thread; observers are
// called there after every publication.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "ProcessCoreKit/records/AgentKind.h"
#include "ProcessCoreKit/support/Time.h"
#include "Quaylight/agent-hooks/config/AgentHookConfigurator.h"
#include "Quaylight/agent-hooks/connections/AgentProviderConnection.h"
#include "Quaylight/agent-hooks/protocol/AgentHookProtocol.h"
#include "QuaylightKit/platform/UserDefaults.h"

namespace quaylight {

class AgentProviderConnectionStore {
public:
    struct TestResult {
        AgentKind provider = AgentKind::codex;
        bool succeeded = false;
        WallTime at;

        friend bool operator==(const TestResult&, const TestResult&) = default;
    };

    using Task = std::function<void()>;

    struct Environment {
        std::string homeDirectory;
        // The running executable (the application passes /proc/self/exe); hooks only work
        // from the installed one.
        std::string bundlePath;
        std::shared_ptr<UserDefaults> defaults;
        std::function<WallTime()> now = wallNow;
        // Absent: the per-user temporary folder of the platform.
        std::optional<std::string> userTemporaryDirectory;
        // Runs the self-test's send away from the main thread; runs it at once when unset.
        std::function<void(Task)> runInBackground;
        // Brings the self-test's failure back to the main thread; runs it at once when unset.
        std::function<void(Task)> runOnMainThread;

        // The user's home folder, the running executable and a current clock.
        static Environment live(std::shared_ptr<UserDefaults> defaults, std::function<void(Task)> runInBackground,
                                std::function<void(Task)> runOnMainThread);
    };

    using ObserverID = std::uint64_t;

    explicit AgentProviderConnectionStore(Environment environment);
    ~AgentProviderConnectionStore();
    AgentProviderConnectionStore(const AgentProviderConnectionStore&) = delete;
    AgentProviderConnectionStore& operator=(const AgentProviderConnectionStore&) = delete;

    // Published state.
    const std::vector<AgentProviderConnection>& connections() const { return connections_; }
    const std::optional<TestResult>& lastTestResult() const { return lastTestResult_; }
    const std::optional<std::string>& actionNotice() const { return actionNotice_; }
    const std::optional<std::string>& receiverFailure() const { return receiverFailure_; }
    // Views set the notice (a hint, or nothing to dismiss it); the application shell sets
    // the receiver failure from the hook server's start error.
    void setActionNotice(std::optional<std::string> notice);
    void setReceiverFailure(std::optional<std::string> failure);

    // Called after every publication.
    ObserverID addObserver(std::function<void()> observer);
    void removeObserver(ObserverID id);
    // Called after every connect and disconnect.
    std::function<void()> onConfiguredChange;

    const Environment& environment() const { return environment_; }

    void refresh();
    bool isConfigured(AgentKind provider) const;
    AgentProviderConnection connection(AgentKind provider) const;
    AgentProviderConnectionStatus status(AgentKind provider) const;
    // Installs the provider's entries (also the repair action) and marks it configured.
    void connect(AgentKind provider);
    // Unmarks the provider at once and removes its entries as far as the file allows.
    void disconnect(AgentKind provider);
    // Sends a connection-test envelope to Quaylight's own socket; success is published
    // when the envelope comes back through the server (recordEnvelope).
    void testRelay(AgentKind provider);
    // Every envelope the socket server accepts, the connection test included.
    void recordEnvelope(const AgentHookProtocol::Envelope& envelope, WallTime receivedAt);

    static std::string configuredKey(AgentKind provider);
    static std::string failureNotice(const AgentHookConfigurator::ConfigError& error, AgentKind provider);

private:
    const std::set<std::string>& ownedCommands() const;
    std::string socketPath() const;
    void publish();

    Environment environment_;
    std::vector<AgentProviderConnection> connections_;
    std::optional<TestResult> lastTestResult_;
    std::optional<std::string> actionNotice_;
    std::optional<std::string> receiverFailure_;
    std::map<AgentKind, WallTime> lastEventAt_;
    mutable std::optional<std::set<std::string>> ownedCommands_;
    std::map<ObserverID, std::function<void()>> observers_;
    ObserverID nextObserver_ = 1;
    // Lets a late self-test result see that the store is gone.
    std::shared_ptr<AgentProviderConnectionStore*> alive_;
};

}  // namespace quaylight
