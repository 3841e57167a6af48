#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <new>
#include <stdexcept>

#include "Quaylight/agent-hooks/paths/AgentHookPaths.h"
#include "Quaylight/agent-hooks/relay/AgentHookRelay.h"
#include "Quaylight/agent-hooks/server/AgentHookSocketServer.h"
#include "tests/Quaylight/agent-hooks/support/EnvelopeCollector.h"
#include "tests/Quaylight/agent-hooks/support/SocketClient.h"
#include "tests/Quaylight/agent-hooks/support/Printers.h"
#include "tests/support/LogCapture.h"
#include "tests/support/TempDir.h"

namespace quaylight {
namespace {

using Relay = AgentHookRelay;
using Invocation = Relay::Invocation;
using Envelope = AgentHookProtocol::Envelope;
using EventKind = AgentHookProtocol::EventKind;

TEST(AgentHookRelay, ParsesItsArguments) {
    using V = std::vector<std::string>;
    struct Case {
        V arguments;
        std::optional<Invocation> expected;
    };
    const Case cases[] = {
        {{}, std::nullopt},
        {{"--provider", "claude", "--protocol", "1"}, Invocation{AgentKind::claude, 1, std::nullopt, false}},
        {{"--protocol", "+1", "--provider", "codex"}, Invocation{AgentKind::codex, 1, std::nullopt, false}},
        {{"--provider", "claude", "--protocol", "-3"}, Invocation{AgentKind::claude, -3, std::nullopt, false}},
        {{"--provider", "claude", "--protocol", "2"}, Invocation{AgentKind::claude, 2, std::nullopt, false}},
        {{"--provider", "claude"}, std::nullopt},
        {{"--protocol", "1"}, std::nullopt},
        {{"--provider", "Claude", "--protocol", "1"}, std::nullopt},
        {{"--provider", "claude", "--protocol", "1x"}, std::nullopt},
        {{"--provider", "claude", "--protocol", ""}, std::nullopt},
        {{"--provider", "claude", "--protocol", "+"}, std::nullopt},
        {{"--provider", "claude", "--protocol", "+-1"}, std::nullopt},
        {{"--provider", "claude", "--protocol", "99999999999999999999"}, std::nullopt},
        {{"--provider", "claude", "--protocol"}, std::nullopt},
        {{"--provider", "claude", "--protocol", "1", "stray"}, std::nullopt},
        {{"--provider", "claude", "--protocol", "1", "--verbose"}, std::nullopt},
        {{"--provider", "claude", "--protocol", "1", "--hint"}, std::nullopt},
        {{"--provider", "claude", "--protocol", "1", "--hint", "--test"},
         Invocation{AgentKind::claude, 1, "--test", false}},
        {{"--provider", "claude", "--protocol", "1", "--hint", ""}, Invocation{AgentKind::claude, 1, "", false}},
        {{"--test", "--provider", "codex", "--protocol", "1"}, Invocation{AgentKind::codex, 1, std::nullopt, true}},
        {{"--provider", "codex", "--provider", "claude", "--protocol", "1"},
         Invocation{AgentKind::claude, 1, std::nullopt, false}},
    };
    for (const auto& c : cases) {
        std::string joined;
        for (const auto& a : c.arguments) joined += "[" + a + "]";
        EXPECT_EQ(Relay::parse(c.arguments), c.expected) << joined;
    }
}

TEST(AgentHookRelay, SendTimeoutsSplitIntoSecondsAndMicroseconds) {
    const struct {
        double seconds;
        long sec;
        long usec;
    } cases[] = {{0.5, 0, 500'000}, {1.0, 1, 0}, {2.25, 2, 250'000}, {0.0, 0, 0}, {0.9999999, 1, 0}};
    for (const auto& c : cases) {
        timeval tv = timevalFromSeconds(c.seconds);
        EXPECT_EQ(tv.tv_sec, c.sec) << c.seconds;
        EXPECT_EQ(tv.tv_usec, c.usec) << c.seconds;
    }
}

// A run against a fake world that records what would be sent.
struct FakeWorld {
    std::string input;
    int inputReads = 0;
    std::string home = "/home/ada";
    std::set<std::string> existing;
    std::vector<std::pair<std::string, std::string>> sent;  // (payload, socket path)

    Relay::Environment environment() {
        return {
            .readInput = [this] { ++inputReads; return input; },
            .parentPID = [] { return 777; },
            .homeDirectory = [this] { return HomeDirectory(home); },
            .userTemporaryDirectory = [] { return std::string("/run/user/1000"); },
            .pathExists = [this](const std::string& path) { return existing.contains(path); },
            .send = [this](std::string_view payload, const std::string& path, double timeout) {
                EXPECT_EQ(timeout, 0.5);
                sent.emplace_back(std::string(payload), path);
                return true;
            },
        };
    }
    std::optional<Envelope> run(const std::vector<std::string>& arguments) {
        EXPECT_EQ(Relay::run(arguments, environment()), 0);
        if (sent.empty()) return std::nullopt;
        return AgentHookProtocol::decodeEnvelope(sent.back().first);
    }
};

const std::vector<std::string> claudeArguments{"--provider", "claude", "--protocol", "1"};

TEST(AgentHookRelay, TheHintWinsOverTheInputsNotificationType) {
    FakeWorld world;
    world.input = R"({"session_id":"s","hook_event_name":"Notification","notification_type":"permission_prompt"})";
    auto arguments = claudeArguments;
    arguments.insert(arguments.end(), {"--hint", "idle_prompt"});
    auto sent = world.run(arguments);
    ASSERT_TRUE(sent);
    EXPECT_EQ(sent->event, EventKind::idleNotification);
    EXPECT_EQ(world.sent[0].second, "/home/ada/.local/share/Quaylight/Runtime/agent-events.sock");
}

TEST(AgentHookRelay, TestModeSendsAConnectionTestWithoutReadingInput) {
    FakeWorld world;
    world.input = R"({"session_id":"s","hook_event_name":"Stop"})";
    auto sent = world.run({"--provider", "codex", "--protocol", "1", "--test"});
    EXPECT_EQ(world.inputReads, 0);
    EXPECT_EQ(sent, (Envelope{1, AgentKind::codex, EventKind::connectionTest, "quaylight-connection-test",
                              std::nullopt, 777}));
}

TEST(AgentHookRelay, InputRules) {
    std::string session256(256, 's');
    auto stopWith = [](const std::string& session) {
        return R"({"hook_event_name":"Stop","session_id":")" + session + "\"}";
    };
    auto exactly = [](std::size_t size) {
        std::string head = R"({"session_id":"s","hook_event_name":"Stop","pad":")";
        return head + std::string(size - head.size() - 2, 'x') + "\"}";
    };
    const struct {
        const char* name;
        std::string input;
        bool sends;
    } cases[] = {
        {"session of 256 bytes", stopWith(session256), true},
        {"session of 257 bytes", stopWith(session256 + "s"), false},
        {"empty session", stopWith(""), false},
        {"no session", R"({"hook_event_name":"Stop"})", false},
        {"untracked event", R"({"session_id":"s","hook_event_name":"PreToolUse"})", false},
        {"no event", R"({"session_id":"s"})", false},
        {"not JSON", "Stop", false},
        {"empty input", "", false},
        {"exactly 1 MiB", exactly(Relay::maxInputBytes), true},
        {"1 MiB and one byte", exactly(Relay::maxInputBytes + 1), false},
    };
    for (const auto& c : cases) {
        FakeWorld world;
        world.input = c.input;
        EXPECT_EQ(world.run(claudeArguments).has_value(), c.sends) << c.name;
    }
    FakeWorld world;
    world.input = stopWith("s");
    EXPECT_FALSE(world.run({"--provider", "claude", "--protocol", "2"}));
    EXPECT_EQ(world.inputReads, 0);
}

TEST(AgentHookRelay, AWorldThatThrowsStillEndsTheRunWithZero) {
    // Each read in turn fails the way memory exhaustion or a broken read would.
    for (int failing = 0; failing < 4; ++failing) {
        FakeWorld world;
        world.input = R"({"session_id":"s","hook_event_name":"Stop","cwd":"/home/ada/code"})";
        auto environment = world.environment();
        auto fail = [] () -> std::string { throw std::runtime_error("read failed"); };
        if (failing == 0) environment.readInput = fail;
        if (failing == 1) environment.homeDirectory = [] () -> HomeDirectory { throw std::bad_alloc(); };
        if (failing == 2) environment.pathExists = [](const std::string&) -> bool { throw std::bad_alloc(); };
        if (failing == 3) environment.userTemporaryDirectory = fail;
        EXPECT_EQ(Relay::run(claudeArguments, environment), 0) << failing;
        EXPECT_TRUE(world.sent.empty()) << failing;
    }
}

TEST(AgentHookRelay, ADroppedEventLeavesAWarning) {
    testsupport::LogCapture log;
    FakeWorld world;
    auto environment = world.environment();
    environment.readInput = []() -> std::string { throw std::runtime_error("read failed"); };
    EXPECT_EQ(Relay::run(claudeArguments, environment), 0);
    EXPECT_EQ(log.lines(), (std::vector<std::string>{"warning [hook-relay] the event was dropped: read failed"}));
}

TEST(AgentHookRelay, TheProjectNameComesFromTheWorkingDirectory) {
    const struct {
        const char* name;
        std::string cwdMember;
        std::optional<std::string> project;
    } cases[] = {
        {"inside a project", R"(,"cwd":"/home/ada/code/site/server")", "site"},
        {"the home folder itself", R"(,"cwd":"/home/ada")", std::nullopt},
        {"no project marker", R"(,"cwd":"/srv/data")", std::nullopt},
        {"no working directory", "", std::nullopt},
    };
    for (const auto& c : cases) {
        FakeWorld world;
        world.existing = {"/home/ada/code/site/package.json", "/home/ada/.git"};
        world.input = R"({"session_id":"s","hook_event_name":"Stop")" + c.cwdMember + "}";
        auto sent = world.run(claudeArguments);
        ASSERT_TRUE(sent) << c.name;
        EXPECT_EQ(sent->projectName, c.project) << c.name;
        EXPECT_EQ(world.sent[0].first.find("/home/ada/code"), std::string::npos) << "the directory itself is sent";
    }
}

TEST(AgentHookRelay, ALongHomeSendsToTheTemporaryFolder) {
    FakeWorld world;
    world.home = "/home/" + std::string(80, 'h');
    world.input = R"({"session_id":"s","hook_event_name":"Stop"})";
    ASSERT_TRUE(world.run(claudeArguments));
    EXPECT_EQ(world.sent[0].second, "/run/user/1000/quaylight/agent-events.sock");
}

TEST(AgentHookRelay, SendFailsWithoutAListener) {
    testsupport::TempDir dir;
    std::string path = (dir / "agent-events.sock").string();
    EXPECT_FALSE(Relay::send("{}", path, 0.5));  // nothing there

    int stale = testsupport::bindWithoutListening(path);
    ASSERT_GE(stale, 0);
    EXPECT_FALSE(Relay::send("{}", path, 0.5));  // a socket file nobody accepts on
    close(stale);

    EXPECT_FALSE(Relay::send("{}", "/" + std::string(103, 'p'), 0.5));  // 104 bytes: never connected
}

TEST(AgentHookRelay, SendHandsTheWholePayloadToAListeningServer) {
    testsupport::TempDir dir;
    testsupport::EnvelopeCollector collector;
    AgentHookSocketServer server(AgentHookPaths::standard(dir.path().string(), "/tmp"), {}, collector.handler());
    ASSERT_EQ(server.start(), std::nullopt);
    Envelope envelope{1, AgentKind::codex, EventKind::sessionStart, "abc", std::nullopt, 5};
    EXPECT_TRUE(Relay::send(*AgentHookProtocol::encode(envelope), server.paths().socketPath, 1.5));
    ASSERT_TRUE(collector.waitForDeliveries(1));
    EXPECT_EQ(collector.deliveries()[0].envelope, envelope);
}

}  // namespace
}  // namespace quaylight
