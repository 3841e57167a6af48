#include <gtest/gtest.h>

#include <string>

#include "Quaylight/agent-hooks/protocol/AgentHookProtocol.h"
#include "tests/Quaylight/agent-hooks/support/Printers.h"

namespace quaylight {
namespace {

using P = AgentHookProtocol;
using EventKind = P::EventKind;

P::Envelope sample(std::optional<std::string> project = "site") {
    return {1, AgentKind::claude, EventKind::promptSubmitted, "session-1", std::move(project), 4242};
}

TEST(AgentHookProtocol, EncodesCompactMembersInOrder) {
    EXPECT_EQ(P::encode(sample()),
              R"({"v":1,"provider":"claude","event":"promptSubmitted","sessionID":"session-1","projectName":"site","parentPID":4242})");
    EXPECT_EQ(P::encode(sample(std::nullopt)),
              R"({"v":1,"provider":"claude","event":"promptSubmitted","sessionID":"session-1","parentPID":4242})");
}

TEST(AgentHookProtocol, RoundTripsWithAndWithoutProject) {
    for (auto project : {std::optional<std::string>("site"), std::optional<std::string>()}) {
        auto bytes = P::encode(sample(project));
        ASSERT_TRUE(bytes);
        EXPECT_EQ(P::decodeEnvelope(*bytes), sample(project));
    }
}

TEST(AgentHookProtocol, EncodingIsBoundedAt4096Bytes) {
    auto envelope = sample(std::nullopt);
    std::size_t base = P::encode(envelope)->size();
    envelope.projectName = std::string();  // adds ,"projectName":"" = 17 bytes
    std::size_t withEmptyProject = P::encode(envelope)->size();
    ASSERT_EQ(withEmptyProject, base + 17);
    envelope.projectName = std::string(4096 - withEmptyProject, 'p');
    EXPECT_EQ(P::encode(envelope)->size(), 4096u);
    envelope.projectName->push_back('p');
    EXPECT_EQ(P::encode(envelope), std::nullopt);
}

TEST(AgentHookProtocol, TextThatIsNotUtf8CannotBeEncoded) {
    auto envelope = sample(std::string("\xff\xfe"));
    EXPECT_EQ(P::encode(envelope), std::nullopt);
}

struct DecodeCase {
    const char* name;
    std::string bytes;
    bool accepted;
};

std::string padded(std::size_t total) {
    std::string head = R"({"v":1,"provider":"codex","event":"turnEnded","sessionID":"s","parentPID":1,"pad":")";
    std::string tail = R"("})";
    return head + std::string(total - head.size() - tail.size(), 'x') + tail;
}

TEST(AgentHookProtocol, DecodingChecksEveryRule) {
    const std::string base = R"("provider":"codex","event":"turnEnded","parentPID":7)";
    auto with = [&](const std::string& extra) { return "{" + base + "," + extra + "}"; };
    std::string s256 = std::string(254, 'a') + "\xc3\xa9";  // 256 bytes, ending in a two-byte character
    const DecodeCase cases[] = {
        {"minimal", with(R"("v":1,"sessionID":"s")"), true},
        {"members in any order", R"({"sessionID":"s","parentPID":7,"event":"turnEnded","provider":"codex","v":1})", true},
        {"null project", with(R"("v":1,"sessionID":"s","projectName":null)"), true},
        {"connection test", R"({"v":1,"provider":"claude","event":"connectionTest","sessionID":"s","parentPID":0})", true},
        {"extra members ignored", with(R"("v":1,"sessionID":"s","prompt":"secret")"), true},
        {"version 2", with(R"("v":2,"sessionID":"s")"), false},
        {"version as text", with(R"("v":"1","sessionID":"s")"), false},
        {"version as float", with(R"("v":1.0,"sessionID":"s")"), false},
        {"version missing", with(R"("sessionID":"s")"), false},
        {"empty session", with(R"("v":1,"sessionID":"")"), false},
        {"session of 256 bytes", with(R"("v":1,"sessionID":")" + s256 + "\""), true},
        {"session of 257 bytes", with(R"("v":1,"sessionID":")" + s256 + "b\""), false},
        {"session not text", with(R"("v":1,"sessionID":5)"), false},
        {"unknown event", R"({"v":1,"provider":"codex","event":"stop","sessionID":"s","parentPID":1})", false},
        {"unknown provider", R"({"v":1,"provider":"Claude","event":"turnEnded","sessionID":"s","parentPID":1})", false},
        {"project not text", with(R"("v":1,"sessionID":"s","projectName":3)"), false},
        {"pid beyond 32 bits", R"({"v":1,"provider":"codex","event":"turnEnded","sessionID":"s","parentPID":2147483648})", false},
        {"lowest pid", R"({"v":1,"provider":"codex","event":"turnEnded","sessionID":"s","parentPID":-2147483648})", true},
        {"pid missing", R"({"v":1,"provider":"codex","event":"turnEnded","sessionID":"s"})", false},
        {"not an object", R"([1,2])", false},
        {"trailing bytes", with(R"("v":1,"sessionID":"s")") + "x", false},
        {"empty", "", false},
        {"4096 bytes", padded(4096), true},
        {"4097 bytes", padded(4097), false},
    };
    for (const auto& c : cases) EXPECT_EQ(P::decodeEnvelope(c.bytes).has_value(), c.accepted) << c.name;
}

TEST(AgentHookProtocol, EventMapping) {
    using O = std::optional<std::string>;
    struct Case {
        O name;
        O type;
        std::optional<EventKind> expected;
    };
    const Case cases[] = {
        {std::nullopt, "idle_prompt", std::nullopt},
        {"SessionStart", std::nullopt, EventKind::sessionStart},
        {"UserPromptSubmit", "anything", EventKind::promptSubmitted},
        {"PermissionRequest", std::nullopt, EventKind::permissionRequested},
        {"Stop", std::nullopt, EventKind::turnEnded},
        {"StopFailure", std::nullopt, EventKind::turnFailed},
        {"SessionEnd", std::nullopt, EventKind::sessionEnded},
        {"Notification", "permission_prompt", EventKind::permissionRequested},
        {"Notification", "agent_needs_input", EventKind::needsInputNotification},
        {"Notification", "idle_prompt", EventKind::idleNotification},
        {"Notification", std::nullopt, std::nullopt},
        {"Notification", "auth_success", std::nullopt},
        {"stop", std::nullopt, std::nullopt},
        {"PreToolUse", std::nullopt, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(P::mapEvent(c.name, c.type), c.expected) << c.name.value_or("(none)") << " " << c.type.value_or("");
}

TEST(AgentHookProtocol, ProviderFieldsKeepOnlyTheFourMembers) {
    auto fields = P::decodeProviderFields(R"({
        "session_id": "abc", "transcript_path": "/secret", "cwd": "/w",
        "hook_event_name": "Notification", "notification_type": "idle_prompt",
        "prompt": "do things", "tool_input": {"session_id": 5, "cwd": [1, 2]}, "n": 1.5, "flag": true})");
    ASSERT_TRUE(fields);
    EXPECT_EQ(*fields, (P::AllowlistedProviderFields{"abc", "/w", "Notification", "idle_prompt"}));
}

// Node's JSON.stringify writes a string cut inside a surrogate pair with a lone "\ud83d".
TEST(AgentHookProtocol, ALoneSurrogateNeverVetoesTheEvent) {
    using Fields = P::AllowlistedProviderFields;
    const std::string replacement = "\uFFFD";
    const struct {
        std::string input;
        Fields expected;
    } cases[] = {
        // In a member the relay never keeps: the event goes through unchanged.
        {R"({"session_id":"s","prompt":"cut \ud83d","hook_event_name":"Stop"})", Fields{"s", {}, "Stop", {}}},
        {R"({"session_id":"s","tool_input":{"x":["\uDE00 lone low"]},"hook_event_name":"Stop"})",
         Fields{"s", {}, "Stop", {}}},
        {R"({"session_id":"s","k\ud83d":1,"hook_event_name":"Stop"})", Fields{"s", {}, "Stop", {}}},
        // In a kept member: U+FFFD in its place, the rest kept.
        {R"({"session_id":"s","cwd":"/w/a\ud83d","hook_event_name":"Stop"})",
         Fields{"s", "/w/a" + replacement, "Stop", {}}},
        {R"({"session_id":"s","cwd":"/\ud83d\ud83d\ude00","hook_event_name":"Stop"})",
         Fields{"s", "/" + replacement + "\U0001F600", "Stop", {}}},
        {R"({"session_id":"s","cwd":"\udc00\ud800x","hook_event_name":"Stop"})",
         Fields{"s", replacement + replacement + "x", "Stop", {}}},
        // Proper pairs, escaped backslashes and other escapes stay as they are.
        {R"({"session_id":"s","cwd":"\\ud83d \ud83d\ude00 \u0041\n","hook_event_name":"Stop"})",
         Fields{"s", "\\ud83d \U0001F600 A\n", "Stop", {}}},
    };
    for (const auto& c : cases) {
        auto fields = P::decodeProviderFields(c.input);
        ASSERT_TRUE(fields) << c.input;
        EXPECT_EQ(*fields, c.expected) << c.input;
    }
    // Repair makes nothing valid that was not: a cut escape is still not JSON.
    EXPECT_FALSE(P::decodeProviderFields(R"({"session_id":"s","x":"\ud83"})"));
    EXPECT_FALSE(P::decodeProviderFields(R"({"session_id":"s","x":"\ud83d)"));
}

TEST(AgentHookProtocol, ProviderFieldsRefuseWhatIsNotAnObjectOfStrings) {
    struct Case {
        const char* input;
        bool decodes;
    };
    const Case cases[] = {
        {R"({})", true},
        {R"({"session_id":null,"cwd":null})", true},
        {R"({"session_id":1})", false},
        {R"({"cwd":{"a":1}})", false},
        {R"({"hook_event_name":["Stop"]})", false},
        {R"({"notification_type":false})", false},
        {R"([{"session_id":"a"}])", false},
        {R"("text")", false},
        {"", false},
        {"{", false},
        {R"({"session_id":"a"} x)", false},
    };
    for (const auto& c : cases) EXPECT_EQ(P::decodeProviderFields(c.input).has_value(), c.decodes) << c.input;
    EXPECT_EQ(P::decodeProviderFields(R"({"session_id":"a","session_id":null})")->session_id, std::nullopt);
}

}  // namespace
}  // namespace quaylight
