// The agent row's texts and decisions, as tables.

#include <gtest/gtest.h>

#include "Quaylight/popover/model/AgentHostSectionTexts.h"
#include "Quaylight/popover/model/AgentRowTexts.h"
#include "tests/Quaylight/popover/AgentSessions.h"

namespace quaylight {
namespace {

using namespace test;
using S = AgentSessionState;
using E = AgentEvidence;
using A = AgentStopAvailability;

AgentRowContext contextAt(bool expanded = false, A stop = A::available,
                          std::optional<std::string> focusLabel = std::nullopt) {
    return {agentNow(), expanded, std::move(focusLabel), stop};
}

TEST(AgentRowTexts, SpokenAgeSaysTheShownAgeInWords) {
    struct Case {
        std::int64_t seconds;
        std::string shown;
        std::string spoken;
    };
    const Case cases[] = {
        {0, "0s", "0 seconds"},
        {1, "1s", "1 second"},
        {6, "6s", "6 seconds"},
        {59, "59s", "59 seconds"},
        {60, "1m", "1 minute"},
        {119, "1m", "1 minute"},
        {120, "2m", "2 minutes"},
        {3599, "59m", "59 minutes"},
        {3600, "1h", "1 hour"},
        {3660, "1h 1m", "1 hour 1 minute"},
        {7199, "1h 59m", "1 hour 59 minutes"},
        {7200, "2h", "2 hours"},
        {86399, "23h 59m", "23 hours 59 minutes"},
        {86400, "1d", "1 day"},
        {90000, "1d 1h", "1 day 1 hour"},
        {172800, "2d", "2 days"},
        {-5, "0s", "0 seconds"},  // a start still ahead
        {-7200, "0s", "0 seconds"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(agentElapsedText(secondsBeforeNow(c.seconds), agentNow()), c.shown) << c.seconds;
        EXPECT_EQ(spokenAge(secondsBeforeNow(c.seconds), agentNow()), c.spoken) << c.seconds;
    }
}

TEST(AgentRowTexts, SpokenAgeDropsTheFractionTowardZero) {
    // 119.9 s is still one minute; 0.5 s ahead is 0 s, not a negative second.
    EXPECT_EQ(spokenAge(agentNow() - Microseconds(119'900'000), agentNow()), "1 minute");
    EXPECT_EQ(spokenAge(agentNow() + Microseconds(500'000), agentNow()), "0 seconds");
    EXPECT_EQ(agentElapsedText(agentNow() - Microseconds(59'999'999), agentNow()), "59s");
    EXPECT_EQ(spokenAge(agentNow() - Microseconds(59'999'999), agentNow()), "59 seconds");
}

TEST(AgentRowTexts, NextTextChange) {
    struct Case {
        std::int64_t ageMicros;
        std::optional<std::int64_t> nextAgeMicros;  // the age at the next change
    };
    constexpr std::int64_t s = 1'000'000;
    const Case cases[] = {
        {0, 1 * s},
        {500'000, 1 * s},
        {1 * s, 2 * s},
        {59 * s + 999'999, 60 * s},
        {60 * s, 120 * s},
        {119 * s, 120 * s},
        {3600 * s + 30 * s, 3660 * s},
        {-30 * s, 1 * s},  // a start ahead of now
    };
    for (const auto& c : cases) {
        auto session = fullSession();
        const WallTime now = *session.startedAt + Microseconds(c.ageMicros);
        const auto next = nextAgentRowTextChange(session, now);
        ASSERT_TRUE(next) << c.ageMicros;
        EXPECT_EQ((*next - *session.startedAt).count(), *c.nextAgeMicros) << c.ageMicros;
        // Nothing shown changes before that moment.
        const auto before = *next - Microseconds(1);
        if (before >= now) {
            EXPECT_EQ(agentRowTexts(session, {before, false, {}, A::available}),
                      agentRowTexts(session, {now, false, {}, A::available}))
                << c.ageMicros;
        }
    }
    EXPECT_EQ(nextAgentRowTextChange(bareSession(), agentNow()), std::nullopt);
}

TEST(AgentRowTexts, ElapsedLabel) {
    EXPECT_EQ(agentElapsedText(std::nullopt, agentNow()), "—");
    EXPECT_EQ(agentElapsedText(secondsBeforeNow(45), agentNow()), "45s");
    EXPECT_EQ(agentElapsedText(secondsBeforeNow(3 * 3600 + 7 * 60), agentNow()), "3h 7m");
    EXPECT_EQ(agentElapsedText(secondsBeforeNow(-30), agentNow()), "0s");  // a start in the future
}

TEST(AgentRowTexts, Locations) {
    struct Case {
        AgentExecutionLocation location;
        std::string expected;
    };
    const Case cases[] = {
        {AgentExecutionLocation::remote("Codex Cloud"), "Codex Cloud"},
        {AgentExecutionLocation::remote(std::nullopt), "Remote"},
        {AgentExecutionLocation::local(), "Local"},
        {AgentExecutionLocation::unknown(), "Location unknown"},
    };
    for (const auto& c : cases) EXPECT_EQ(agentLocationText(c.location), c.expected);
}

TEST(AgentRowTexts, StateExplanations) {
    struct Case {
        S state;
        E evidence;
        std::optional<std::string> detail;
        std::string expected;
    };
    const Case cases[] = {
        {S::needsAttention, E::process, {}, "The agent is blocked on your input or approval."},
        {S::working, E::providerHook, {}, "The agent reported or showed active work."},
        {S::waiting, E::providerHook, {}, "The session is open — the provider reported the last turn completed."},
        {S::waiting, E::processAndProviderHook, {}, "The agent is running and recently idle."},
        {S::waiting, E::process, {}, "The agent is running and recently idle."},
        {S::detected, E::providerHook, {},
         "A provider session was reported. No local agent process has been confirmed."},
        {S::detected, E::process, {},
         "A local agent process is running. Quaylight can't yet tell working from waiting for it."},
        {S::recentlyFinished, E::process, {}, "This session ended a moment ago."},
        {S::working, E::process, "Running tests", "Running tests"},
        {S::recentlyFinished, E::providerHook, "Exited with 1", "Exited with 1"},
    };
    for (const auto& c : cases) {
        auto session = bareSession();
        session.state = c.state;
        session.evidence = c.evidence;
        session.stateDetail = c.detail;
        EXPECT_EQ(agentStateExplanation(session), c.expected);
    }
}

TEST(AgentRowTexts, BareRow) {
    const auto t = agentRowTexts(bareSession(), contextAt());
    EXPECT_EQ(t.providerName, "Codex");
    EXPECT_EQ(t.title, "Project unknown");
    EXPECT_FALSE(t.hasProject);
    EXPECT_EQ(t.relatedPortsText, std::nullopt);
    EXPECT_EQ(t.location, "Location unknown");
    EXPECT_EQ(t.elapsed, "—");
    EXPECT_EQ(t.accessibilitySummary, "Codex, detected, unknown app, location unknown");
    EXPECT_EQ(t.accessibilityHint, "Expands details");
    EXPECT_EQ(t.evidenceFact, "Provider event");
    EXPECT_EQ(t.hostFact, "Unknown app");
    EXPECT_EQ(t.pidFact, std::nullopt);
    EXPECT_EQ(t.relatedNote, "Exact port relationship unavailable");
    EXPECT_FALSE(t.showsFocus());
    EXPECT_EQ(t.hostNotRunningNote, std::nullopt);
    EXPECT_EQ(t.portsAction, AgentRowTexts::PortsAction::provider);
    EXPECT_EQ(t.portsButtonTitle, "View Codex ports");
    EXPECT_FALSE(t.showsStop());  // available, but no process to signal
    EXPECT_EQ(t.stopNote, std::nullopt);
}

TEST(AgentRowTexts, FullRow) {
    const auto t = agentRowTexts(fullSession(), contextAt(true, A::available, "VS Code"));
    EXPECT_EQ(t.rowKey, fullSession().id.stableID());
    EXPECT_EQ(t.providerName, "Claude");
    EXPECT_EQ(t.title, "storefront");
    EXPECT_TRUE(t.hasProject);
    EXPECT_EQ(t.relatedPortsText, "2 ports");
    EXPECT_EQ(t.location, "Local");
    EXPECT_EQ(t.elapsed, "3h 7m");
    EXPECT_EQ(t.accessibilitySummary,
              "Claude, working, VS Code, storefront, PID 4242, local, 3 hours 7 minutes, 2 related ports");
    EXPECT_EQ(t.accessibilityHint, "Collapses details");
    EXPECT_EQ(t.evidenceFact, "Provider event + local process");
    EXPECT_EQ(t.hostFact, "VS Code");
    EXPECT_EQ(t.pidFact, "PID 4242");
    EXPECT_EQ(t.relatedCaption, "Related local listeners");
    EXPECT_EQ(t.relatedPortCells, (std::vector<std::string>{"3000", "5173"}));
    EXPECT_EQ(t.relatedNote, std::nullopt);
    EXPECT_EQ(t.focusAccessibleName, "Focus App — VS Code");
    EXPECT_EQ(t.portsAction, AgentRowTexts::PortsAction::related);
    EXPECT_EQ(t.portsButtonTitle, "View related ports");
    EXPECT_EQ(t.stopAccessibleName, "Stop Claude agent, PID 4242");
    EXPECT_EQ(t.stopNote, std::nullopt);
}

TEST(AgentRowTexts, RelatedPorts) {
    struct Case {
        PortRelationshipConfidence confidence;
        std::vector<std::int64_t> ports;
        std::optional<std::string> badge;
        std::vector<std::string> cells;
        std::optional<std::string> note;
        AgentRowTexts::PortsAction action;
        std::string summaryEnd;
    };
    using P = PortRelationshipConfidence;
    using Act = AgentRowTexts::PortsAction;
    const Case cases[] = {
        {P::exact, {}, "0 ports", {}, std::nullopt, Act::provider, "0 related ports"},
        {P::exact, {8080}, "1 port", {"8080"}, std::nullopt, Act::related, "1 related port"},
        // IPv4 and IPv6 on one port: one cell, both counted.
        {P::exact, {9000, 443, 9000}, "3 ports", {"443", "9000"}, std::nullopt, Act::related, "3 related ports"},
        {P::noneObserved, {}, std::nullopt, {}, "No related local listeners detected", Act::provider, "3 hours 7 minutes"},
        {P::unavailable, {}, std::nullopt, {}, "Exact port relationship unavailable", Act::provider, "3 hours 7 minutes"},
    };
    for (const auto& c : cases) {
        auto session = fullSession();
        session.portRelationship = c.confidence;
        session.relatedListenerIDs.clear();
        std::int32_t pid = 10;
        for (auto port : c.ports) session.relatedListenerIDs.insert(relatedListener(pid++, port));
        const auto t = agentRowTexts(session, contextAt(true));
        EXPECT_EQ(t.relatedPortsText, c.badge);
        EXPECT_EQ(t.relatedPortCells, c.cells);
        EXPECT_EQ(t.relatedCaption.has_value(), !c.cells.empty());
        EXPECT_EQ(t.relatedNote, c.note);
        EXPECT_EQ(t.portsAction, c.action);
        EXPECT_TRUE(t.accessibilitySummary.ends_with(c.summaryEnd)) << t.accessibilitySummary;
    }
}

TEST(AgentRowTexts, FocusAndStop) {
    struct Case {
        std::optional<std::string> focusLabel;
        bool hasHost;
        bool hasProcess;
        S state;
        A stop;
        std::optional<std::string> notRunning;
        bool showsStop;
        std::optional<std::string> stopNote;
    };
    const Case cases[] = {
        {"VS Code", true, true, S::working, A::available, std::nullopt, true, std::nullopt},
        {std::nullopt, true, true, S::working, A::available, "VS Code isn’t running.", true, std::nullopt},
        {std::nullopt, false, true, S::working, A::available, std::nullopt, true, std::nullopt},
        {"VS Code", true, false, S::working, A::available, std::nullopt, false, std::nullopt},
        {"VS Code", true, true, S::working, A::sharedProcess, std::nullopt, false,
         "Stop unavailable — this process backs multiple agent sessions."},
        {"VS Code", true, false, S::detected, A::noLocalProcess, std::nullopt, false,
         "Stop unavailable — no local agent process to signal."},
        {"VS Code", true, true, S::recentlyFinished, A::finished, std::nullopt, false, std::nullopt},
        // Handed a live twin's availability, a finished row still offers no Stop.
        {"VS Code", true, true, S::recentlyFinished, A::available, std::nullopt, false, std::nullopt},
    };
    for (const auto& c : cases) {
        auto session = fullSession();
        session.state = c.state;
        if (!c.hasHost) session.controlSurface.reset();
        if (!c.hasProcess) session.processIdentity.reset();
        const auto t = agentRowTexts(session, contextAt(true, c.stop, c.focusLabel));
        EXPECT_EQ(t.showsFocus(), c.focusLabel.has_value());
        EXPECT_EQ(t.hostNotRunningNote, c.notRunning);
        EXPECT_EQ(t.showsStop(), c.showsStop);
        EXPECT_EQ(t.stopNote, c.stopNote);
    }
}

TEST(AgentRowTexts, StopAvailabilityGoesByRowKey) {
    const auto live = fullSession();
    const auto finished = finishedTwin(live);
    ASSERT_NE(live.rowKey(), finished.rowKey());
    AgentInventorySnapshot snapshot;
    snapshot.sessions = {live, finished};
    const auto byID = snapshot.stopAvailabilityByID();
    EXPECT_EQ(rowStopAvailability(live, byID), A::available);
    EXPECT_EQ(rowStopAvailability(finished, byID), A::finished);
    EXPECT_EQ(rowStopAvailability(fullSession("elsewhere"), byID), A::noLocalProcess);
}

TEST(AgentRowTexts, ProviderNamesAndStateWords) {
    EXPECT_EQ(shortDisplayName(AgentKind::claude), "Claude");
    EXPECT_EQ(shortDisplayName(AgentKind::codex), "Codex");
    const std::pair<S, std::string> words[] = {{S::needsAttention, "needs attention"}, {S::working, "working"},
                                               {S::waiting, "waiting"}, {S::detected, "detected"},
                                               {S::recentlyFinished, "finished"}};
    for (const auto& [state, word] : words) {
        auto session = bareSession();
        session.state = state;
        EXPECT_TRUE(agentAccessibilitySummary(session, agentNow()).starts_with("Codex, " + word + ", ")) << word;
    }
}

TEST(AgentHostSectionTexts, HeaderCountAndLabel) {
    struct Case {
        std::optional<HostAppKind> host;
        int rows;
        std::string title;
        std::string count;
        std::string label;
        LucideIconName icon;
    };
    const Case cases[] = {
        {std::nullopt, 1, "UNKNOWN APP", "· 1", "Unknown app, 1 agent", LucideIconName::terminal},
        {std::nullopt, 2, "UNKNOWN APP", "· 2", "Unknown app, 2 agents", LucideIconName::terminal},
        {HostAppKind::vscode, 3, "VS CODE", "· 3", "VS Code, 3 agents", LucideIconName::monitor},
        {HostAppKind::cursor, 1, "CURSOR", "· 1", "Cursor, 1 agent", LucideIconName::monitor},
        {HostAppKind::warp, 1, "WARP", "· 1", "Warp, 1 agent", LucideIconName::terminal},
        {HostAppKind::claudeDesktop, 1, "CLAUDE DESKTOP", "· 1", "Claude Desktop, 1 agent", LucideIconName::monitor},
    };
    for (const auto& c : cases) {
        AgentInventoryListModel::Section section;
        if (c.host) section.host = hostOf(*c.host);
        for (int i = 0; i < c.rows; ++i) section.rows.push_back(bareSession(std::to_string(i)));
        const auto t = agentHostSectionTexts(section);
        EXPECT_EQ(t.headerTitle, c.title);
        EXPECT_EQ(t.countText, c.count);
        EXPECT_EQ(t.accessibilityLabel, c.label);
        EXPECT_EQ(t.fallbackIcon, c.icon);
        EXPECT_EQ(t.sectionID, section.id());
    }
}

TEST(AgentHostSectionTexts, FallbackIconOfEveryKind) {
    using K = HostAppKind;
    const std::pair<K, LucideIconName> cases[] = {
        {K::terminal, LucideIconName::terminal}, {K::iterm2, LucideIconName::terminal},
        {K::warp, LucideIconName::terminal},     {K::ghostty, LucideIconName::terminal},
        {K::wezterm, LucideIconName::terminal},  {K::alacritty, LucideIconName::terminal},
        {K::vscode, LucideIconName::monitor},    {K::cursor, LucideIconName::monitor},
        {K::chatgpt, LucideIconName::monitor},   {K::claudeDesktop, LucideIconName::monitor},
    };
    for (const auto& [kind, icon] : cases) EXPECT_EQ(hostFallbackIcon(kind), icon);
    EXPECT_EQ(hostFallbackIcon(std::nullopt), LucideIconName::terminal);
}

}  // namespace
}  // namespace quaylight
