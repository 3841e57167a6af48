// The Agents tab's chips, states, footer and connect rule, as tables.

#include <gtest/gtest.h>

#include "Quaylight/popover/model/AgentListTexts.h"

namespace quaylight {
namespace {

using Filter = AgentProviderFilter;
using Status = AgentProviderConnectionStatus::Kind;
using Content = AgentInventoryListModel::Content::Kind;
using PromptKind = AgentsConnectionPrompt::Kind;
using Action = AgentListAction::Kind;
using Prompt = std::optional<AgentsConnectionPrompt>;

AgentProviderConnection connection(AgentKind provider, Status status, bool enabled) {
    return {provider, AgentProviderConnectionStatus::of(status), enabled};
}

std::vector<AgentProviderConnection> connections(Status codex, Status claude, bool enabled = true) {
    return {connection(AgentKind::codex, codex, enabled), connection(AgentKind::claude, claude, enabled)};
}

Prompt prompt(PromptKind kind, AgentKind provider) { return AgentsConnectionPrompt{kind, provider}; }

std::vector<std::string> titles(const AgentListState& state) {
    std::vector<std::string> result;
    for (const auto& b : state.buttons) result.push_back(b.title);
    return result;
}

TEST(AgentListTexts, ChipsCarryCountsAndSpokenLabels) {
    AgentInventoryListModel model;
    model.allCount = 4;
    model.codexCount = 1;
    model.claudeCount = 3;
    const auto chips = AgentListTexts::chips(model, Filter::codex);
    const std::vector<AgentListChip> expected{
        {Filter::all, "All 4", "All agents filter, 4 agents", false},
        {Filter::codex, "Codex 1", "Codex agents filter, 1 agent", true},
        {Filter::claude, "Claude 3", "Claude agents filter, 3 agents", false},
    };
    EXPECT_EQ(chips, expected);
    EXPECT_EQ(AgentListTexts::chipAccessibilityLabel(Filter::all, 0), "All agents filter, 0 agents");
}

TEST(AgentListTexts, EmptyStateDetailPerPrompt) {
    struct Case {
        Prompt prompt;
        std::string text;
    };
    const Case cases[] = {
        {std::nullopt, "CLI agents appear automatically. Connected desktop sessions appear here when active."},
        {prompt(PromptKind::connect, AgentKind::codex),
         "CLI agents appear automatically. Connect Codex to include its desktop sessions."},
        {prompt(PromptKind::approveHooks, AgentKind::claude),
         "Approve Quaylight\u2019s hooks in Claude to finish connecting. CLI agents still appear automatically."},
        {prompt(PromptKind::awaitingFirstEvent, AgentKind::codex),
         "Codex is connected and waiting for its first trusted event. CLI agents still appear automatically."},
        {prompt(PromptKind::reviewConnection, AgentKind::claude),
         "Review the Claude connection in Settings. CLI agents still appear automatically."},
    };
    for (const auto& c : cases) EXPECT_EQ(AgentListTexts::emptyStateDetail(c.prompt), c.text);
}

TEST(AgentListTexts, ProviderEmptyDetailFirstMatchWins) {
    const auto connectCodex = prompt(PromptKind::connect, AgentKind::codex);
    const auto connectClaude = prompt(PromptKind::connect, AgentKind::claude);
    const auto approveCodex = prompt(PromptKind::approveHooks, AgentKind::codex);
    struct Case {
        Filter filter;
        Prompt prompt;
        Prompt global;
        std::string text;
    };
    const Case cases[] = {
        {Filter::claude, std::nullopt, approveCodex,
         "Clear the provider filter to see other active agents. Connected Claude desktop sessions appear here when "
         "active."},
        {Filter::all, connectCodex, connectCodex,
         "Clear the provider filter or review provider connections in Settings."},
        {Filter::claude, connectCodex, connectCodex,
         "Clear the provider filter or review provider connections in Settings."},
        {Filter::codex, approveCodex, approveCodex,
         "Approve Quaylight\u2019s hooks in Codex to finish connecting. CLI agents still appear automatically."},
        {Filter::codex, connectCodex, std::nullopt,
         "CLI agents appear automatically. Connect Codex to include its desktop sessions."},
        {Filter::codex, connectCodex, connectCodex,
         "CLI agents appear automatically. Connect Codex to include its desktop sessions."},
        {Filter::claude, connectClaude, approveCodex,
         "Claude is not connected yet. Approve Quaylight\u2019s hooks in Codex to finish connecting. CLI agents still "
         "appear automatically."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AgentListTexts::providerEmptyDetail(c.filter, c.prompt, c.global), c.text)
            << static_cast<int>(c.filter);
    }
}

// Content, filter, connections and receiver failure in; state kind, title, detail and
// buttons out.
TEST(AgentListTexts, StateMatrix) {
    struct Case {
        const char* name;
        Content content;
        Filter filter;
        std::vector<AgentProviderConnection> connections;
        std::optional<std::string> failure;
        AgentListState::Kind kind;
        std::string title;
        std::string detail;
        std::vector<std::string> buttons;
    };
    const auto none = connections(Status::notConfigured, Status::notConfigured, false);
    const auto connected = connections(Status::connected, Status::connected);
    const Case cases[] = {
        {"failure needs an enabled connection", Content::empty, Filter::all, none, "x",
         AgentListState::Kind::connectionEmpty, "No local agents detected",
         "CLI agents appear automatically. Connect Codex to include its desktop sessions.", {"Connect Codex"}},
        {"provider-empty failure", Content::providerEmpty, Filter::codex, connected, "x",
         AgentListState::Kind::receiverFailed, "Connected, but not receiving", "x", {"Retry", "Show all agents"}},
        {"empty failure", Content::empty, Filter::all, connected, "x", AgentListState::Kind::receiverFailed,
         "Connected, but not receiving", "x", {"Retry"}},
        {"connected and empty", Content::empty, Filter::all, connected, std::nullopt,
         AgentListState::Kind::connectionEmpty, "No local agents detected",
         "CLI agents appear automatically. Connected desktop sessions appear here when active.", {}},
        {"approve hooks has no button", Content::empty, Filter::all,
         connections(Status::configuredAwaitingTrust, Status::connected), std::nullopt,
         AgentListState::Kind::connectionEmpty, "No local agents detected",
         "Approve Quaylight\u2019s hooks in Codex to finish connecting. CLI agents still appear automatically.", {}},
        {"codex not configured", Content::providerEmpty, Filter::codex,
         connections(Status::notConfigured, Status::connected), std::nullopt, AgentListState::Kind::providerEmpty,
         "No Codex agents detected", "CLI agents appear automatically. Connect Codex to include its desktop sessions.",
         {"Connect Codex", "Show all agents"}},
        {"claude not configured, codex awaits trust", Content::providerEmpty, Filter::claude,
         connections(Status::configuredAwaitingTrust, Status::notConfigured), std::nullopt,
         AgentListState::Kind::providerEmpty, "No Claude agents detected",
         "Claude is not connected yet. Approve Quaylight\u2019s hooks in Codex to finish connecting. CLI agents still "
         "appear automatically.",
         {"Show all agents"}},
        {"provider-empty under all", Content::providerEmpty, Filter::all, connected, std::nullopt,
         AgentListState::Kind::providerEmpty, "No All agents detected",
         "Clear the provider filter to see other active agents. Connected All desktop sessions appear here when "
         "active.",
         {"Show all agents"}},
        {"no match", Content::noSearchMatches, Filter::all, connected, "x", AgentListState::Kind::noMatches,
         "No matching agents", "No agent's provider, app, project, or state matches the search.", {}},
    };
    for (const auto& c : cases) {
        const auto state = AgentListTexts::state(c.content, c.filter, c.connections, c.failure);
        ASSERT_TRUE(state) << c.name;
        EXPECT_EQ(state->kind, c.kind) << c.name;
        EXPECT_EQ(state->title, c.title) << c.name;
        EXPECT_EQ(state->detail, c.detail) << c.name;
        EXPECT_EQ(titles(*state), c.buttons) << c.name;
    }
    EXPECT_FALSE(AgentListTexts::state(Content::sections, Filter::all, connected, "x"));
}

TEST(AgentListTexts, StateButtonsKindsAndActions) {
    const auto codexMissing = connections(Status::notConfigured, Status::connected);
    const auto alone = AgentListTexts::state(Content::providerEmpty, Filter::claude, codexMissing, std::nullopt);
    ASSERT_TRUE(alone);
    ASSERT_EQ(alone->buttons.size(), 1u);
    EXPECT_EQ(alone->buttons[0].kind, PremiumButtonKind::primary);
    EXPECT_EQ(alone->buttons[0].action.kind, Action::showAllAgents);

    const auto both = AgentListTexts::state(Content::providerEmpty, Filter::codex, codexMissing, std::nullopt);
    ASSERT_TRUE(both);
    ASSERT_EQ(both->buttons.size(), 2u);
    EXPECT_EQ(both->buttons[0].kind, PremiumButtonKind::primary);
    EXPECT_EQ(both->buttons[0].action, (AgentListAction{Action::connect, AgentKind::codex}));
    EXPECT_EQ(both->buttons[1].kind, PremiumButtonKind::secondary);
    EXPECT_EQ(both->spacing, 8);

    const auto failed = AgentListTexts::state(Content::providerEmpty, Filter::codex,
                                              connections(Status::connected, Status::connected), "gone");
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->icon, LucideIconName::shield);
    EXPECT_EQ(failed->tint, AgentListState::Tint::warning);
    EXPECT_EQ(failed->buttons[0].action.kind, Action::retryReceiver);
    EXPECT_EQ(failed->buttons[1].kind, PremiumButtonKind::secondary);

    const auto noMatch = AgentListTexts::state(Content::noSearchMatches, Filter::all, {}, std::nullopt);
    EXPECT_EQ(noMatch->icon, LucideIconName::search);
    EXPECT_EQ(noMatch->spacing, 6);
}

TEST(AgentListTexts, FooterFirstMatchWins) {
    struct Case {
        InventoryFreshness freshness;
        std::vector<AgentProviderConnection> connections;
        std::string text;
        std::optional<AgentKind> connect;
    };
    const auto live = InventoryFreshness::live();
    const Case cases[] = {
        {InventoryFreshness::stale(std::nullopt), connections(Status::notConfigured, Status::connected),
         "Showing last known agents \u2014 the current scan is unavailable", AgentKind::codex},
        {live, connections(Status::connected, Status::connected), "CLI agents are detected automatically",
         std::nullopt},
        {live, {}, "CLI agents are detected automatically", std::nullopt},
        {live, connections(Status::connected, Status::notConfigured), "Connect Claude to include its desktop sessions",
         AgentKind::claude},
        {live, connections(Status::configuredAwaitingTrust, Status::notConfigured),
         "Approve Quaylight\u2019s hooks in Codex to finish connecting", std::nullopt},
        {live, connections(Status::connected, Status::configuredAwaitingFirstEvent),
         "Claude is connected and waiting for its first event", std::nullopt},
        {live, connections(Status::repairNeeded, Status::connected), "Review the Codex connection in Settings",
         std::nullopt},
        {live, connections(Status::connected, Status::unavailable), "Review the Claude connection in Settings",
         std::nullopt},
    };
    for (const auto& c : cases) {
        const auto footer = AgentListTexts::footer(c.freshness, c.connections);
        EXPECT_EQ(footer.text, c.text);
        EXPECT_EQ(footer.stale, c.freshness.isStale);
        EXPECT_EQ(footer.connectProvider, c.connect) << c.text;
    }
    const auto link = AgentListTexts::footer(live, connections(Status::notConfigured, Status::connected));
    EXPECT_EQ(link.connectTitle, "Connect Codex");
    EXPECT_EQ(link.connectAccessibilityLabel, "Connect Codex agent sessions");
}

TEST(AgentListTexts, ConnectOnlyFromTheInstalledExecutable) {
    struct Case {
        std::string bundlePath;
        std::optional<std::string> refusal;
    };
    const std::string hint = "Move Quaylight to /usr/local/bin, then connect.";
    const Case cases[] = {
        {"/usr/local/bin/quaylight", std::nullopt},
        {"/home/u/build/quaylight", hint},
        {"/usr/local/bin/quaylight/", hint},  // exact comparison, no normalising
        {"/usr/local/bin//quaylight", hint},
        {"", hint},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AgentListTexts::connectRefusal(c.bundlePath, "/usr/local/bin/quaylight", "/usr/local/bin"), c.refusal)
            << c.bundlePath;
    }
}

// The list's one timer waits for the earliest change among the shown rows.
TEST(AgentListTexts, NextElapsedLabelChangeOfTheShownRows) {
    using std::chrono::milliseconds;
    using std::chrono::seconds;
    const WallTime now = wallTimeFromMicroseconds(1'700'000'000'000'000);
    const auto started = [](std::optional<WallTime> start) {
        AgentSessionSnapshot s;
        s.startedAt = start;
        return s;
    };
    struct Case {
        const char* name;
        std::vector<std::optional<WallTime>> starts;
        std::optional<WallTime> next;
    };
    const Case cases[] = {
        {"no rows", {}, std::nullopt},
        {"no starts", {std::nullopt, std::nullopt}, std::nullopt},
        {"young: next second of its age", {now - milliseconds(2500)}, now + milliseconds(500)},
        {"old: next minute of its age", {now - seconds(3600 + 75)}, now + seconds(45)},
        {"earliest of several", {now - seconds(3600 + 75), std::nullopt, now - milliseconds(10'300)},
         now + milliseconds(700)},
    };
    for (const auto& c : cases) {
        std::vector<AgentSessionSnapshot> sessions;
        for (const auto& start : c.starts) sessions.push_back(started(start));
        EXPECT_EQ(AgentListTexts::nextLabelChange(now, sessions), c.next) << c.name;
    }
}

}  // namespace
}  // namespace quaylight
