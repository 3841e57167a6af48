#include <gtest/gtest.h>

#include "Quaylight/agent-inventory/list/AgentInventoryListModel.h"
#include "tests/Quaylight/agent-inventory/support/InventoryTesting.h"

namespace quaylight::testsupport {
namespace {

using Model = AgentInventoryListModel;
using Kind = Model::Content::Kind;
using State = AgentSessionState;

// A session row: a hook session of `session` (or a process session when it is a number),
// by default a local Codex session in the terminal, with its last event at +0s.
struct Row {
    AgentSessionSnapshot s;

    explicit Row(const std::string& session, AgentKind provider = AgentKind::codex, State state = State::working) {
        bool numeric = !session.empty() && std::all_of(session.begin(), session.end(), ::isdigit);
        s.id = numeric ? AgentSessionID::process(agent(std::stoi(session), provider))
                       : AgentSessionID::provider(provider, session);
        s.provider = provider;
        s.state = state;
        s.executionLocation = AgentExecutionLocation::local();
        s.lastEventAt = t(0s);
        in(HostAppKind::terminal);
    }
    Row& in(std::optional<HostAppKind> kind, std::int32_t pid = 500) {
        if (kind)
            s.controlSurface = AgentHostDescriptor{*kind, std::string(displayName(*kind)), {pid, 1, 0}};
        else
            s.controlSurface.reset();
        return *this;
    }
    Row& at(Microseconds lastEvent) {
        s.lastEventAt = t(lastEvent);
        return *this;
    }
    Row& location(AgentExecutionLocation where) {
        s.executionLocation = std::move(where);
        return *this;
    }
    Row& project(std::string name) {
        s.projectName = std::move(name);
        return *this;
    }
    operator AgentSessionSnapshot() const { return s; }
};

AgentInventorySnapshot inventory(std::vector<AgentSessionSnapshot> sessions) {
    AgentInventorySnapshot snapshot;
    snapshot.sessions = std::move(sessions);
    return snapshot;
}

// Sections as "host:terminal[a b]" with each row's session id (or pid) in order.
std::vector<std::string> layout(const Model& model) {
    std::vector<std::string> sections;
    for (const auto& section : model.content.sections) {
        std::string text = section.id() + "[";
        for (const auto& r : section.rows) {
            if (text.back() != '[') text += ' ';
            text += r.id.providerSession() ? r.id.providerSession()->sessionID
                                           : std::to_string(r.id.processIdentity()->process.pid);
        }
        sections.push_back(text + "]");
    }
    return sections;
}

TEST(AgentsListModel, EmptyInventory) {
    auto model = Model::build(AgentInventorySnapshot::empty(), AgentProviderFilter::all, "");
    EXPECT_EQ(model.content, Model::Content::of(Kind::empty));
    EXPECT_EQ(model.summaryLine, "No local agents detected");
    EXPECT_EQ(model.stateLine, std::nullopt);
    EXPECT_EQ(std::tie(model.allCount, model.codexCount, model.claudeCount), std::tuple(0, 0, 0));
}

TEST(AgentsListModel, OnlyAFinishedSessionIsListedButNotCounted) {
    auto model = Model::build(inventory({Row("a", AgentKind::codex, State::recentlyFinished)}),
                              AgentProviderFilter::all, "");
    EXPECT_EQ(layout(model), (std::vector<std::string>{"host:terminal[a]"}));
    EXPECT_EQ(model.summaryLine, "No local agents detected");
    EXPECT_EQ(model.stateLine, std::nullopt);
    EXPECT_EQ(std::tie(model.allCount, model.codexCount, model.claudeCount), std::tuple(0, 0, 0));
}

TEST(AgentsListModel, FilterDecidesTheContentButNotTheCounts) {
    auto snapshot = inventory({Row("a"), Row("b", AgentKind::codex, State::waiting)});
    auto claude = Model::build(snapshot, AgentProviderFilter::claude, "");
    EXPECT_EQ(claude.content, Model::Content::of(Kind::providerEmpty));
    EXPECT_EQ(std::tie(claude.allCount, claude.codexCount, claude.claudeCount), std::tuple(2, 2, 0));
    EXPECT_EQ(claude.summaryLine, "2 local agents across 1 app");
    EXPECT_EQ(claude.stateLine, "1 working · 1 waiting");
    EXPECT_EQ(Model::build(snapshot, AgentProviderFilter::codex, "").content.kind, Kind::sections);
    EXPECT_EQ(Model::build(snapshot, AgentProviderFilter::codex, "nothing like it").content,
              Model::Content::of(Kind::noSearchMatches));
}

struct SearchCase {
    std::string text;
    std::vector<std::string> layout;
};

class AgentsSearch : public ::testing::TestWithParam<SearchCase> {};

void PrintTo(const SearchCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

TEST_P(AgentsSearch, MatchesProviderAppProjectOrState) {
    auto snapshot = inventory({
        Row("c1", AgentKind::claude).in(HostAppKind::vscode).project("web-shop"),
        Row("x1", AgentKind::codex, State::needsAttention).in(std::nullopt).project("Über-Tool"),
        Row("x2", AgentKind::codex, State::recentlyFinished).project("api"),
    });
    auto model = Model::build(snapshot, AgentProviderFilter::all, GetParam().text);
    if (GetParam().layout.empty())
        EXPECT_EQ(model.content, Model::Content::of(Kind::noSearchMatches));
    else
        EXPECT_EQ(layout(model), GetParam().layout);
}

INSTANTIATE_TEST_SUITE_P(
    Table, AgentsSearch,
    ::testing::Values(
        SearchCase{"", {"host:vscode[c1]", "host:terminal[x2]", "host:unknown[x1]"}},
        SearchCase{"   ", {"host:vscode[c1]", "host:terminal[x2]", "host:unknown[x1]"}},  // only spaces: no search
        SearchCase{"CODEX", {"host:terminal[x2]", "host:unknown[x1]"}},  // the provider in capitals
        SearchCase{"claude", {"host:vscode[c1]"}},                     // "Claude", not "Claude Code"
        SearchCase{"claude code", {}},                                 //
        SearchCase{"unknown", {"host:unknown[x1]"}},                   // no control surface: "Unknown app"
        SearchCase{"vs code", {"host:vscode[c1]"}},                    // the app's name
        SearchCase{"finished", {"host:terminal[x2]"}},                 // the state's label
        SearchCase{"attention", {"host:unknown[x1]"}},                 //
        SearchCase{" shop\n", {"host:vscode[c1]"}},                    // trimmed
        SearchCase{"über", {"host:unknown[x1]"}},                      // lower case beyond ASCII
        SearchCase{"ÜBER-TOOL", {"host:unknown[x1]"}},                 //
        SearchCase{"\u00a0api\u2003", {"host:terminal[x2]"}},          // Unicode spaces are trimmed too
        SearchCase{"web shop", {}}));

TEST(AgentsListModel, SectionsGroupByHostKindNamedAfterTheFirstRow) {
    auto snapshot = inventory({
        Row("a").in(HostAppKind::terminal, 11),
        Row("b").in(HostAppKind::cursor),
        Row("c").in(HostAppKind::terminal, 22),
    });
    auto model = Model::build(snapshot, AgentProviderFilter::all, "");
    EXPECT_EQ(layout(model), (std::vector<std::string>{"host:cursor[b]", "host:terminal[a c]"}));
    EXPECT_EQ(model.content.sections[1].host->identity.pid, 11);
    EXPECT_EQ(model.summaryLine, "3 local agents across 2 apps");
}

TEST(AgentsListModel, ASectionsHostRunsUnlessTheSnapshotFoundItGone) {
    auto snapshot = inventory({
        Row("a").in(HostAppKind::terminal, 11),
        Row("b").in(HostAppKind::cursor, 12),
        Row("c").in(std::nullopt),
    });
    snapshot.exitedHosts = {ProcessIdentity{12, 1, 0}};
    auto model = Model::build(snapshot, AgentProviderFilter::all, "");
    ASSERT_EQ(layout(model), (std::vector<std::string>{"host:cursor[b]", "host:terminal[a]", "host:unknown[c]"}));
    EXPECT_FALSE(model.content.sections[0].hostRunning);
    EXPECT_TRUE(model.content.sections[1].hostRunning);
    EXPECT_TRUE(model.content.sections[2].hostRunning);  // no host: nothing to find gone
}

TEST(AgentsListModel, SectionOrder) {
    // With a host before without; then urgency; then the host's name.
    auto snapshot = inventory({
        Row("lost", AgentKind::codex, State::needsAttention).in(std::nullopt),
        Row("w1").in(HostAppKind::wezterm),
        Row("g1", AgentKind::codex, State::waiting).in(HostAppKind::ghostty),
        Row("a1", AgentKind::codex, State::detected).in(HostAppKind::alacritty),
        Row("v1", AgentKind::codex, State::needsAttention).in(HostAppKind::vscode),
    });
    EXPECT_EQ(layout(Model::build(snapshot, AgentProviderFilter::all, "")),
              (std::vector<std::string>{"host:vscode[v1]", "host:wezterm[w1]", "host:alacritty[a1]",
                                        "host:ghostty[g1]", "host:unknown[lost]"}));
}

TEST(AgentsListModel, RowOrder) {
    auto snapshot = inventory({
        Row("late", AgentKind::codex, State::waiting).at(9s),
        Row("old").at(1s),
        Row("new").at(5s),
        Row("tie", AgentKind::claude).at(5s),
        Row("42").at(5s),  // a process session: "agent:" sorts before "hook:"
        Row("ask", AgentKind::codex, State::needsAttention).at(0s),
    });
    // hook:claude:... < hook:codex:...; both after agent:...
    EXPECT_EQ(layout(Model::build(snapshot, AgentProviderFilter::all, "")),
              (std::vector<std::string>{"host:terminal[ask 42 tie new old late]"}));
}

TEST(AgentsListModel, UrgencyRank) {
    EXPECT_EQ(Model::urgencyRank({}), 2);
    EXPECT_EQ(Model::urgencyRank({Row("a", AgentKind::codex, State::waiting)}), 2);
    EXPECT_EQ(Model::urgencyRank({Row("a", AgentKind::codex, State::waiting), Row("b")}), 1);
    EXPECT_EQ(Model::urgencyRank({Row("b"), Row("c", AgentKind::codex, State::needsAttention)}), 0);
}

struct LineCase {
    std::vector<AgentSessionSnapshot> current;
    std::string summary;
    std::optional<std::string> states;
};

class AgentsSummaryLines : public ::testing::TestWithParam<LineCase> {};

void PrintTo(const LineCase& c, std::ostream* os) { *os << c.summary; }

TEST_P(AgentsSummaryLines, CountAgentsAppsAndStates) {
    EXPECT_EQ(Model::summary(GetParam().current), GetParam().summary);
    EXPECT_EQ(Model::stateSummary(GetParam().current), GetParam().states);
}

const auto unknown = AgentExecutionLocation::unknown();

INSTANTIATE_TEST_SUITE_P(
    Table, AgentsSummaryLines,
    ::testing::Values(
        LineCase{{}, "No local agents detected", std::nullopt},
        LineCase{{Row("a")}, "1 local agent across 1 app", "1 working"},
        LineCase{{Row("a").in(std::nullopt)}, "1 local agent", "1 working"},
        LineCase{{Row("a"), Row("b").in(HostAppKind::vscode), Row("c", AgentKind::claude, State::detected)},
                 "3 local agents across 2 apps", "2 working · 1 detected"},
        LineCase{{Row("a").in(std::nullopt), Row("b").in(std::nullopt).location(unknown)},
                 "2 agents · 1 location unknown", "2 working"},
        LineCase{{Row("a"), Row("b").location(unknown)}, "2 agents across 1 app · 1 location unknown", "2 working"},
        LineCase{{Row("a").location(AgentExecutionLocation::remote("Cloud"))}, "1 agent across 1 app", "1 working"},
        LineCase{{Row("a", AgentKind::codex, State::needsAttention), Row("b"), Row("c")},
                 "3 local agents across 1 app", "1 needs attention · 2 working"},
        LineCase{{Row("a", AgentKind::codex, State::needsAttention), Row("b", AgentKind::codex, State::needsAttention),
                  Row("c", AgentKind::codex, State::waiting), Row("d", AgentKind::codex, State::detected)},
                 "4 local agents across 1 app", "2 need attention · 1 waiting · 1 detected"}));

}  // namespace
}  // namespace quaylight::testsupport
