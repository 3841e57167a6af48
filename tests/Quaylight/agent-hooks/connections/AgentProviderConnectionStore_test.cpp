#include <stdexcept>

#include <gtest/gtest.h>

#include "Quaylight/agent-hooks/connections/AgentProviderConnectionStore.h"
#include "Quaylight/agent-hooks/paths/InstalledExecutable.h"
#include "Quaylight/agent-hooks/server/AgentHookSocketServer.h"
#include "tests/Quaylight/agent-hooks/support/EnvelopeCollector.h"
#include "tests/Quaylight/agent-hooks/support/Printers.h"
#include "tests/Quaylight/agent-hooks/support/HookFixtures.h"

namespace quaylight {
namespace {

using Status = AgentProviderConnectionStatus;
using StatusKind = Status::Kind;
using Envelope = AgentHookProtocol::Envelope;
using EventKind = AgentHookProtocol::EventKind;

class ConnectionStore : public ::testing::Test {
protected:
    testsupport::HookHome home;
    std::shared_ptr<InMemoryUserDefaults> defaults = std::make_shared<InMemoryUserDefaults>();
    WallTime clock = wallTimeFromMicroseconds(1'700'000'000'000'000);

    AgentProviderConnectionStore::Dependencies dependencies(std::string bundlePath = InstalledExecutable::path()) {
        AgentProviderConnectionStore::Dependencies deps;
        deps.homeDirectory = home.home();
        deps.bundlePath = std::move(bundlePath);
        deps.now = [this] { return clock; };
        deps.userTemporaryDirectory = "/tmp";
        return deps;
    }
};

// Without the application's settings every connection would be forgotten on quit.
TEST_F(ConnectionStore, RefusesToStartWithoutSettings) {
    EXPECT_THROW(AgentProviderConnectionStore(nullptr, dependencies()), std::invalid_argument);
}

TEST_F(ConnectionStore, RunningFromElsewhereMakesEveryProviderUnavailable) {
    defaults->setBool("agentConnections.claude.configured", true);
    AgentProviderConnectionStore store(defaults, dependencies("/home/dev/build/quaylight"));
    ASSERT_EQ(store.connections().size(), 2u);
    EXPECT_EQ(store.connections()[0].provider, AgentKind::codex);
    Status expected = Status::unavailable("Quaylight must run from " + InstalledExecutable::folder() +
                                          " to receive agent events.");
    EXPECT_EQ(store.connections()[0], (AgentProviderConnection{AgentKind::codex, expected, false}));
    EXPECT_EQ(store.connections()[1], (AgentProviderConnection{AgentKind::claude, expected, true}));
}

TEST_F(ConnectionStore, ConfiguredWithoutEntriesNeedsRepair) {
    defaults->setBool("agentConnections.claude.configured", true);
    AgentProviderConnectionStore store(defaults, dependencies());
    EXPECT_EQ(store.connection(AgentKind::claude).status,
              Status::repairNeeded("Quaylight's entries are missing from the Claude settings \u2014 Repair reinstalls "
                                   "them, or Disconnect to stop listening."));
    EXPECT_EQ(store.connection(AgentKind::codex).status, Status::of(StatusKind::notConfigured));
}

TEST_F(ConnectionStore, ConnectingCreatesTheFileAndAwaitsTheFirstEvent) {
    AgentProviderConnectionStore store(defaults, dependencies());
    int configuredChanges = 0, publications = 0;
    store.onConfiguredChange = [&] { ++configuredChanges; };
    store.addObserver([&] { ++publications; });
    store.connect(AgentKind::codex);
    EXPECT_EQ(store.actionNotice(), std::nullopt);
    EXPECT_TRUE(defaults->boolForKey("agentConnections.codex.configured"));
    EXPECT_TRUE(store.isConfigured(AgentKind::codex));
    EXPECT_EQ(store.connection(AgentKind::codex),
              (AgentProviderConnection{AgentKind::codex, Status::of(StatusKind::configuredAwaitingTrust), true}));
    EXPECT_EQ(nlohmann::json::parse(testsupport::readFile(home.codexHooks()))["hooks"].size(), 4u);
    EXPECT_EQ(configuredChanges, 1);
    EXPECT_GE(publications, 1);

    store.connect(AgentKind::claude);
    EXPECT_EQ(store.connection(AgentKind::claude).status, Status::of(StatusKind::configuredAwaitingFirstEvent));

    // A hook event connects; a connection test does not.
    store.recordEnvelope(Envelope{1, AgentKind::claude, EventKind::connectionTest, "t", std::nullopt, 0}, clock);
    EXPECT_EQ(store.connection(AgentKind::claude).status, Status::of(StatusKind::configuredAwaitingFirstEvent));
    EXPECT_EQ(store.lastTestResult(), (AgentProviderConnectionStore::TestResult{AgentKind::claude, true, clock}));
    store.recordEnvelope(Envelope{1, AgentKind::claude, EventKind::promptSubmitted, "s", "site", 9}, clock);
    EXPECT_EQ(store.connection(AgentKind::claude).status, Status::connected(clock));
}

TEST_F(ConnectionStore, ConnectingThroughASymlinkFailsWithItsNotice) {
    home.place(home.home() + "/real.json", "{}");
    std::filesystem::create_directories(home.home() + "/.claude");
    ASSERT_EQ(symlink((home.home() + "/real.json").c_str(), home.claudeSettings().c_str()), 0);
    AgentProviderConnectionStore store(defaults, dependencies());
    store.connect(AgentKind::claude);
    EXPECT_EQ(store.actionNotice(), "The Claude settings file is a symlink \u2014 Quaylight only edits regular files.");
    EXPECT_FALSE(store.isConfigured(AgentKind::claude));
    EXPECT_EQ(store.connection(AgentKind::claude).status, Status::of(StatusKind::notConfigured));
}

// The notice says which value stopped the edit, and the file stays as the user wrote it.
TEST_F(ConnectionStore, ConnectingARepeatedKeyFileNamesTheKey) {
    const std::string text = "{\"model\": {\"ratio\": 1.10, \"ratio\": 2.50}}";
    home.place(home.claudeSettings(), text);
    AgentProviderConnectionStore store(defaults, dependencies());
    store.connect(AgentKind::claude);
    EXPECT_EQ(store.actionNotice(),
              "Couldn't update the Claude configuration: the key \"model.ratio\" appears twice in one object and only "
              "one could be kept, so the file was left as it is \u2014 remove one of them, then retry.");
    EXPECT_FALSE(store.isConfigured(AgentKind::claude));
    EXPECT_EQ(testsupport::readFile(home.claudeSettings()), text);

    home.place(home.claudeSettings(), "{\"model\": {\"ratio\": 1.10}, \"scale\": 2.50}");
    store.connect(AgentKind::claude);
    EXPECT_EQ(store.actionNotice(), std::nullopt);
    EXPECT_TRUE(store.isConfigured(AgentKind::claude));
}

TEST_F(ConnectionStore, StatusFollowsTheSettingsFile) {
    AgentProviderConnectionStore store(defaults, dependencies());
    store.connect(AgentKind::claude);
    home.place(home.claudeSettings(), home.fixture("claude_settings_user_hooks.json"));
    store.refresh();
    EXPECT_EQ(store.connection(AgentKind::claude).status,
              Status::repairNeeded("The installed entries are out of date \u2014 Repair updates only Quaylight's own hooks."));
    home.place(home.claudeSettings(), "[]");
    store.refresh();
    EXPECT_EQ(store.connection(AgentKind::claude).status,
              Status::unavailable("The Claude settings file contains invalid JSON. Quaylight won't overwrite it \u2014 fix "
                                  "the file, then retry."));
}

TEST_F(ConnectionStore, DisconnectingAnUnparsableFileStillDisconnects) {
    AgentProviderConnectionStore store(defaults, dependencies());
    store.connect(AgentKind::claude);
    store.recordEnvelope(Envelope{1, AgentKind::claude, EventKind::turnEnded, "s", std::nullopt, 9}, clock);
    home.place(home.claudeSettings(), "{not json");
    store.disconnect(AgentKind::claude);
    EXPECT_FALSE(store.isConfigured(AgentKind::claude));
    EXPECT_EQ(store.actionNotice(),
              "Disconnected locally, but Quaylight's entries may remain in the Claude settings: The Claude settings "
              "file contains invalid JSON. Quaylight won't overwrite it \u2014 fix the file, then retry.");
    EXPECT_EQ(testsupport::readFile(home.claudeSettings()), "{not json");

    // Reconnecting later starts again without the old event time.
    home.place(home.claudeSettings(), "{}");
    store.connect(AgentKind::claude);
    EXPECT_EQ(store.actionNotice(), std::nullopt);
    EXPECT_EQ(store.connection(AgentKind::claude).status, Status::of(StatusKind::configuredAwaitingFirstEvent));
}

TEST_F(ConnectionStore, DisconnectRemovesOnlyOwnEntries) {
    AgentProviderConnectionStore store(defaults, dependencies());
    home.place(home.claudeSettings(), home.fixture("claude_settings_user_hooks.json"));
    store.connect(AgentKind::claude);
    store.disconnect(AgentKind::claude);
    EXPECT_EQ(store.actionNotice(), std::nullopt);
    EXPECT_EQ(nlohmann::ordered_json::parse(testsupport::readFile(home.claudeSettings())),
              nlohmann::ordered_json::parse(home.fixture("claude_settings_user_hooks.removed.json")));
}

TEST_F(ConnectionStore, FailureNoticesName) {
    using E = AgentHookConfigurator::ConfigError;
    EXPECT_EQ(AgentProviderConnectionStore::failureNotice(E::of(E::Kind::notARegularFile), AgentKind::codex),
              "The Codex settings path isn't a regular file.");
    EXPECT_EQ(AgentProviderConnectionStore::failureNotice(E::of(E::Kind::notOwnedByCurrentUser), AgentKind::claude),
              "The Claude settings file isn't owned by you \u2014 fix its ownership, then retry.");
    EXPECT_EQ(AgentProviderConnectionStore::failureNotice(E::of(E::Kind::concurrentModification), AgentKind::codex),
              "The Codex settings file changed while Quaylight was updating it. Nothing was written \u2014 retry.");
    EXPECT_EQ(AgentProviderConnectionStore::failureNotice(E::unwritable("could not create temporary file"),
                                                          AgentKind::claude),
              "Couldn't update the Claude configuration: could not create temporary file");
}

TEST_F(ConnectionStore, RelaySelfTestAgainstTheRealServer) {
    testsupport::EnvelopeCollector collector;
    AgentHookSocketServer server(AgentHookPaths::standard(home.home(), "/tmp"), {}, collector.handler());
    ASSERT_EQ(server.start(), std::nullopt);

    AgentProviderConnectionStore store(defaults, dependencies());
    store.testRelay(AgentKind::codex);
    ASSERT_TRUE(collector.waitForDeliveries(1));
    auto delivery = collector.deliveries()[0];
    EXPECT_EQ(delivery.envelope,
              (Envelope{1, AgentKind::codex, EventKind::connectionTest, "quaylight-connection-test", std::nullopt, 0}));
    store.recordEnvelope(delivery.envelope, delivery.at);
    EXPECT_EQ(store.lastTestResult(), (AgentProviderConnectionStore::TestResult{AgentKind::codex, true, delivery.at}));

    server.stop();
    store.testRelay(AgentKind::claude);  // nobody listens now
    EXPECT_EQ(store.lastTestResult(), (AgentProviderConnectionStore::TestResult{AgentKind::claude, false, clock}));
}

TEST_F(ConnectionStore, ALateSelfTestResultOfAGoneStoreIsDropped) {
    std::vector<AgentProviderConnectionStore::Task> toMain;
    auto deps = dependencies();
    deps.runOnMainThread = [&](AgentProviderConnectionStore::Task task) { toMain.push_back(std::move(task)); };
    {
        AgentProviderConnectionStore store(defaults, deps);
        store.testRelay(AgentKind::claude);  // no server: the failure waits for the main thread
    }
    ASSERT_EQ(toMain.size(), 1u);
    toMain[0]();  // must not touch the destroyed store
}

}  // namespace
}  // namespace quaylight
