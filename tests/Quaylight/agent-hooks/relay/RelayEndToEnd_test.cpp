// The real executable, run as an agent's hook runs it, against a real server.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "Quaylight/agent-hooks/relay/AgentHookRelay.h"
#include "Quaylight/agent-hooks/server/AgentHookSocketServer.h"
#include "tests/Quaylight/agent-hooks/support/EnvelopeCollector.h"
#include "tests/Quaylight/agent-hooks/support/SocketClient.h"
#include "tests/Quaylight/agent-hooks/support/Printers.h"
#include "tests/Quaylight/agent-hooks/support/HookFixtures.h"
#include "tests/Quaylight/agent-hooks/support/RelayProcess.h"

namespace quaylight {
namespace {

using Envelope = AgentHookProtocol::Envelope;
using EventKind = AgentHookProtocol::EventKind;
using testsupport::runRelay;

class RelayEndToEnd : public ::testing::Test {
protected:
    testsupport::HookHome home;
    std::string workingDirectory = home.home() + "/code/site/server";
    testsupport::EnvelopeCollector collector;
    std::unique_ptr<AgentHookSocketServer> server;

    void SetUp() override {
        std::filesystem::create_directories(workingDirectory);
        home.place(home.home() + "/code/site/package.json", "{}");
        AgentHookSocketServer::Dependencies dependencies;
        dependencies.validatePeer = collector.countingPeerCheck();
        server = std::make_unique<AgentHookSocketServer>(AgentHookPaths::standard(home.home(), "/tmp"), dependencies,
                                                         collector.handler());
        ASSERT_EQ(server->start(), std::nullopt);
    }

    std::string hookInput(const std::string& name) {
        std::string text = testsupport::readFile(std::string(QUAYLIGHT_TEST_DATA_DIR) + "/hook-input/" + name);
        auto at = text.find("@CWD@");
        if (at != std::string::npos) text.replace(at, 5, workingDirectory);
        return text;
    }
    void expectExitsZero(const std::vector<std::string>& arguments, const std::string& input) {
        auto exit = runRelay(arguments, input, home.home());
        EXPECT_TRUE(exit.exitedNormally);
        EXPECT_EQ(exit.status, 0);
    }
    // What the server received by the time a later sentinel envelope arrives: a relay that
    // connected at all did so before the sentinel.
    std::vector<Envelope> receivedBeforeSentinel() {
        std::size_t before = collector.deliveries().size();
        Envelope sentinel{1, AgentKind::codex, EventKind::connectionTest, "sentinel", std::nullopt, 1};
        EXPECT_TRUE(AgentHookRelay::send(*AgentHookProtocol::encode(sentinel), server->paths().socketPath, 0.5));
        EXPECT_TRUE(collector.waitForDeliveries(before + 1));
        std::vector<Envelope> received;
        for (const auto& d : collector.deliveries())
            if (d.envelope.sessionID != "sentinel") received.push_back(d.envelope);
        return received;
    }
    void expectNothingDelivered(const char* what) {
        EXPECT_TRUE(receivedBeforeSentinel().empty()) << what;
        EXPECT_EQ(collector.accepted(), collector.deliveries().size()) << what << ": the relay connected";
    }
};

TEST_F(RelayEndToEnd, EveryRegisteredHookDeliversItsEnvelope) {
    const struct {
        const char* input;
        AgentKind provider;
        std::optional<std::string> hint;
        EventKind event;
        const char* session;
    } cases[] = {
        {"session_start.json", AgentKind::claude, std::nullopt, EventKind::sessionStart, "4f1c2d3e-5a6b"},
        {"user_prompt_submit.json", AgentKind::claude, std::nullopt, EventKind::promptSubmitted, "4f1c2d3e-5a6b"},
        {"permission_request.json", AgentKind::claude, std::nullopt, EventKind::permissionRequested, "4f1c2d3e-5a6b"},
        {"stop.json", AgentKind::claude, std::nullopt, EventKind::turnEnded, "4f1c2d3e-5a6b"},
        {"stop_failure.json", AgentKind::claude, std::nullopt, EventKind::turnFailed, "4f1c2d3e-5a6b"},
        {"session_end.json", AgentKind::claude, std::nullopt, EventKind::sessionEnded, "4f1c2d3e-5a6b"},
        {"notification_permission_prompt.json", AgentKind::claude, "permission_prompt", EventKind::permissionRequested,
         "4f1c2d3e-5a6b"},
        {"notification_agent_needs_input.json", AgentKind::claude, "agent_needs_input",
         EventKind::needsInputNotification, "4f1c2d3e-5a6b"},
        {"notification_idle_prompt.json", AgentKind::claude, "idle_prompt", EventKind::idleNotification,
         "4f1c2d3e-5a6b"},
        // The entry's hint decides, whatever the input says.
        {"notification_permission_prompt.json", AgentKind::claude, "idle_prompt", EventKind::idleNotification,
         "4f1c2d3e-5a6b"},
        {"codex_session_start.json", AgentKind::codex, std::nullopt, EventKind::sessionStart, "0199a7c4-codex"},
        {"codex_stop.json", AgentKind::codex, std::nullopt, EventKind::turnEnded, "0199a7c4-codex"},
    };
    std::size_t delivered = 0;
    for (const auto& c : cases) {
        std::vector<std::string> arguments{"--provider", std::string(rawValue(c.provider)), "--protocol", "1"};
        if (c.hint) arguments.insert(arguments.end(), {"--hint", *c.hint});
        expectExitsZero(arguments, hookInput(c.input));
        ASSERT_TRUE(collector.waitForDeliveries(++delivered)) << c.input;
        Envelope expected{1, c.provider, c.event, c.session, "site", static_cast<std::int32_t>(getpid())};
        EXPECT_EQ(collector.deliveries().back().envelope, expected) << c.input;
    }
}

TEST_F(RelayEndToEnd, AWorkingDirectoryOutsideAnyProjectSendsNoProjectName) {
    expectExitsZero({"--provider", "claude", "--protocol", "1"}, hookInput("outside_any_project.json"));
    ASSERT_TRUE(collector.waitForDeliveries(1));
    EXPECT_EQ(collector.deliveries()[0].envelope.projectName, std::nullopt);
}

TEST_F(RelayEndToEnd, TheTestModeSendsAConnectionTest) {
    expectExitsZero({"--provider", "codex", "--protocol", "1", "--test"}, hookInput("stop.json"));
    ASSERT_TRUE(collector.waitForDeliveries(1));
    EXPECT_EQ(collector.deliveries()[0].envelope,
              (Envelope{1, AgentKind::codex, EventKind::connectionTest, "quaylight-connection-test", std::nullopt,
                        static_cast<std::int32_t>(getpid())}));
}

TEST_F(RelayEndToEnd, BadArgumentsExitZeroAndDeliverNothing) {
    const std::vector<std::vector<std::string>> cases{
        {},
        {"--provider", "claude"},
        {"--provider", "claude", "--protocol", "2"},
        {"--provider", "Claude", "--protocol", "1"},
        {"--provider", "claude", "--protocol", "1x"},
        {"--provider", "claude", "--protocol", "1", "scan"},
    };
    for (const auto& arguments : cases) expectExitsZero(arguments, hookInput("stop.json"));
    expectNothingDelivered("bad arguments");
}

TEST_F(RelayEndToEnd, InputThatIsNotAnEventExitsZeroAndDeliversNothing) {
    const std::vector<std::string> claude{"--provider", "claude", "--protocol", "1"};
    for (const char* input : {"pre_tool_use.json", "without_session.json", "session_not_text.json",
                              "notification_unregistered_type.json"})
        expectExitsZero(claude, hookInput(input));
    expectExitsZero(claude, "{\"session_id\": \"s\", \"hook_event_name\": ");
    expectExitsZero(claude, "");
    expectExitsZero(claude, "\xff\xfe not text");
    expectNothingDelivered("bad input");
}

TEST_F(RelayEndToEnd, InputBeyondOneMebibyteIsDropped) {
    const std::vector<std::string> claude{"--provider", "claude", "--protocol", "1"};
    std::string head = R"({"session_id":"big","hook_event_name":"Stop","pad":")";
    auto ofSize = [&](std::size_t size) { return head + std::string(size - head.size() - 2, 'x') + "\"}"; };
    expectExitsZero(claude, ofSize(AgentHookRelay::maxInputBytes + 1));
    expectNothingDelivered("1 MiB + 1");
    std::size_t before = collector.deliveries().size();
    expectExitsZero(claude, ofSize(AgentHookRelay::maxInputBytes));
    ASSERT_TRUE(collector.waitForDeliveries(before + 1));
    EXPECT_EQ(collector.deliveries().back().envelope.sessionID, "big");
}

TEST_F(RelayEndToEnd, WithoutAServerTheRelayStillExitsZero) {
    server->stop();
    expectExitsZero({"--provider", "claude", "--protocol", "1"}, hookInput("stop.json"));

    // A socket file that nobody accepts on.
    int stale = testsupport::bindWithoutListening(server->paths().socketPath);
    ASSERT_GE(stale, 0);
    expectExitsZero({"--provider", "claude", "--protocol", "1"}, hookInput("stop.json"));
    close(stale);
    EXPECT_TRUE(collector.deliveries().empty());
}

}  // namespace
}  // namespace quaylight
