// The popover's texts and decisions, each a table of model values in and text out.

#include <gtest/gtest.h>

#include "Quaylight/popover/model/ConfirmationCards.h"
#include "Quaylight/popover/model/ListenerKeyboard.h"
#include "Quaylight/popover/model/ListenerRowTexts.h"
#include "Quaylight/popover/model/PopoverTexts.h"
#include "tests/QuaylightKit/Listeners.h"

namespace quaylight {
namespace {

using namespace testsupport;

AgentProcessPresenceSnapshot agents(int codex, int claude) {
    AgentProcessPresenceSnapshot s;
    for (int i = 0; i < codex; ++i) s.entries.push_back({{{100 + i, 1, 0}, AgentKind::codex}, AgentKind::codex, {}, {}, {}});
    for (int i = 0; i < claude; ++i)
        s.entries.push_back({{{200 + i, 1, 0}, AgentKind::claude}, AgentKind::claude, {}, {}, {}});
    return s;
}

TEST(PopoverSurface, FollowsTheFirstRunFlags) {
    EXPECT_EQ(popoverSurface(false, false), PopoverSurface::launchAtLoginOffer);
    EXPECT_EQ(popoverSurface(false, true), PopoverSurface::launchAtLoginOffer);
    EXPECT_EQ(popoverSurface(true, false), PopoverSurface::walkthrough);
    EXPECT_EQ(popoverSurface(true, true), PopoverSurface::listenerList);
}

TEST(ListenerCountText, CountsAllOrTheMatchesOfASearch) {
    std::vector<PortListener> rows;
    for (int i = 0; i < 12; ++i) rows.push_back(makeListener(10 + i, 3000 + i));
    const ScanResult twelve = resultOf(rows);
    const ScanResult one = resultOf({makeListener(10, 3000)});
    struct Case {
        const ScanResult* result;
        FilterCategory filter;
        std::string search;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {&twelve, FilterCategory::all, "", "12 listeners"},
        {&one, FilterCategory::all, "", "1 listener"},
        {&twelve, FilterCategory::all, "300", "3 of 12"},  // 3000, 3001 ... 3009 hold "300": 10 of 12
        {&twelve, FilterCategory::all, "   ", "12 of 12"},
        {&twelve, FilterCategory::all, "nothing-like-it", "0 of 12"},
        {nullptr, FilterCategory::all, "", std::nullopt},
    };
    for (const auto& c : cases) {
        PopoverInputs inputs;
        inputs.filter = c.filter;
        inputs.searchText = c.search;
        std::optional<ListenerListModel> model;
        if (c.result) model = listModelFor(*c.result, inputs);
        auto text = listenerCountText(PopoverSurface::listenerList, PanelMode::ports, 0, c.result,
                                      model ? &*model : nullptr, c.filter, c.search);
        if (c.search == "300") {
            EXPECT_EQ(text, "10 of 12");
            continue;
        }
        EXPECT_EQ(text, c.expected) << c.search;
    }
    EXPECT_EQ(listenerCountText(PopoverSurface::listenerList, PanelMode::agents, 1, nullptr, nullptr,
                                FilterCategory::all, ""),
              "1 agent");
    EXPECT_EQ(listenerCountText(PopoverSurface::listenerList, PanelMode::agents, 3, nullptr, nullptr,
                                FilterCategory::all, ""),
              "3 agents");
    EXPECT_EQ(listenerCountText(PopoverSurface::walkthrough, PanelMode::agents, 3, nullptr, nullptr,
                                FilterCategory::all, ""),
              std::nullopt);
}

TEST(ChooseNotice, ConnectionNoticeWinsOnlyInAgentsMode) {
    using S = NoticeChoice::Source;
    const std::optional<std::string> action = "Connect failed.", kill = "Kill failed.";
    EXPECT_EQ(chooseNotice(PopoverSurface::listenerList, false, PanelMode::agents, action, kill),
              (NoticeChoice{S::agentConnections, "Connect failed."}));
    EXPECT_EQ(chooseNotice(PopoverSurface::listenerList, false, PanelMode::agents, std::nullopt, kill),
              (NoticeChoice{S::stopAction, "Kill failed."}));
    EXPECT_EQ(chooseNotice(PopoverSurface::listenerList, false, PanelMode::ports, action, std::nullopt), std::nullopt);
    EXPECT_EQ(chooseNotice(PopoverSurface::listenerList, false, PanelMode::ports, action, kill),
              (NoticeChoice{S::stopAction, "Kill failed."}));
    EXPECT_EQ(chooseNotice(PopoverSurface::listenerList, true, PanelMode::ports, action, kill), std::nullopt);
    EXPECT_EQ(chooseNotice(PopoverSurface::launchAtLoginOffer, false, PanelMode::ports, action, kill), std::nullopt);
}

TEST(ListFooterText, FirstMatchingRuleWins) {
    struct Case {
        bool scope;
        FilterCategory filter;
        AgentProcessPresenceSnapshot agents;
        std::int64_t hidden;
        bool showSystem;
        std::string expected;
    };
    const Case cases[] = {
        {true, FilterCategory::codex, agents(2, 0), 3, false, "Showing only ports this agent's processes own"},
        {false, FilterCategory::codex, agents(0, 1), 0, false, "Showing agent-attributed ports"},
        {false, FilterCategory::codex, agents(1, 0), 0, false, "1 Codex agent running · see Agents for sessions"},
        {false, FilterCategory::codex, agents(2, 0), 0, false, "2 Codex agents running · see Agents for sessions"},
        {false, FilterCategory::claude, agents(0, 1), 0, false,
         "1 Claude Code agent running · see Agents for sessions"},
        {false, FilterCategory::agents, agents(0, 0), 0, false, "Showing agent-attributed ports"},
        {false, FilterCategory::agents, agents(1, 0), 0, false, "1 agent running · see Agents for sessions"},
        {false, FilterCategory::agents, agents(1, 2), 0, false, "3 agents running · see Agents for sessions"},
        {false, FilterCategory::all, agents(0, 0), 0, true, "↑↓ select · O open · T focus · K stop"},
        {false, FilterCategory::node, agents(0, 0), 1, true, "Showing system & background listeners"},
        {false, FilterCategory::all, agents(0, 0), 1, false, "1 system & background listener hidden"},
        {false, FilterCategory::all, agents(0, 0), 3, false, "3 system & background listeners hidden"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(listFooterText(c.scope, c.filter, c.agents, c.hidden, c.showSystem), c.expected);
}

TEST(StateTexts, NameTheSessionsAndTheProviderOfTheFilter) {
    EXPECT_EQ(emptyStateDetail(0), "Nothing is listening on a local port right now.");
    EXPECT_EQ(emptyStateDetail(1), "1 agent session is running, but none has an attributed local listener.");
    EXPECT_EQ(emptyStateDetail(2), "2 agent sessions are running, but none has an attributed local listener.");
    EXPECT_EQ(agentSessionTitle(1, FilterCategory::agents), "1 agent session running");
    EXPECT_EQ(agentSessionTitle(2, FilterCategory::codex), "2 Codex sessions running");
    EXPECT_EQ(agentSessionTitle(1, FilterCategory::claude), "1 Claude Code session running");
    EXPECT_EQ(agentSessionTitle(0, FilterCategory::claude), "No Claude Code sessions detected");
    EXPECT_EQ(agentSessionTitle(0, FilterCategory::codex), "No Codex sessions detected");
    EXPECT_EQ(agentSessionTitle(0, FilterCategory::agents), "No agent sessions detected");
    EXPECT_EQ(agentSessionDetail(0, FilterCategory::claude), "No local listeners are attributed to Claude Code either.");
    EXPECT_EQ(agentSessionDetail(0, FilterCategory::codex), "No local listeners are attributed to Codex either.");
    EXPECT_EQ(agentSessionDetail(0, FilterCategory::agents),
              "No local listeners are attributed to Codex or Claude Code either.");
    EXPECT_EQ(agentSessionDetail(3, FilterCategory::agents), "None currently has an attributed local listener.");
    EXPECT_EQ(agentSessionCount(FilterCategory::claude, agents(2, 1)), 1);
    EXPECT_EQ(agentSessionCount(FilterCategory::agents, agents(2, 1)), 3);
    EXPECT_EQ(agentSessionCount(FilterCategory::web, agents(2, 1)), 0);
}

TEST(ListBody, ChoosesTheStateThatTakesTheListsPlace) {
    ListenerListModel none{ListenerListModel::NoListeners{}, {}, false};
    ListenerListModel nomatch{ListenerListModel::NoMatches{}, {}, false};
    ListenerListModel rows{ListenerListModel::Rows{{makeListener(1, 80)}, {}}, {}, false};
    EXPECT_EQ(listBodyFor(none, true, FilterCategory::codex, ""), ListBody::exactScopeEmpty);
    EXPECT_EQ(listBodyFor(none, false, FilterCategory::codex, ""), ListBody::agentSessions);
    EXPECT_EQ(listBodyFor(none, false, FilterCategory::codex, "x"), ListBody::emptyState);
    EXPECT_EQ(listBodyFor(none, false, FilterCategory::all, ""), ListBody::emptyState);
    EXPECT_EQ(listBodyFor(nomatch, false, FilterCategory::agents, ""), ListBody::agentSessions);
    EXPECT_EQ(listBodyFor(nomatch, false, FilterCategory::web, ""), ListBody::noMatches);
    EXPECT_EQ(listBodyFor(rows, false, FilterCategory::all, ""), ListBody::rows);
    EXPECT_FALSE(portsColumnShowsList(none, agents(0, 0), false));
    EXPECT_TRUE(portsColumnShowsList(none, agents(0, 1), false));
    EXPECT_TRUE(portsColumnShowsList(none, agents(0, 0), true));
}

TEST(ScopedResult, KeepsOnlyTheAgentsListeners) {
    const AgentProcessIdentity agent{{50, 7, 1}, AgentKind::codex};
    auto mine = makeListener(10, 3000);
    mine.agentProcess = agent;
    auto other = makeListener(11, 3001);
    other.agentProcess = AgentProcessIdentity{{50, 7, 2}, AgentKind::codex};  // another start time
    auto hidden = makeListener(12, 3002, "/usr/sbin/x", VisibilityClass::hiddenSystemBackground);
    hidden.agentProcess = agent;
    const auto result = resultOf({mine, other, hidden, makeListener(13, 3003)});
    EXPECT_EQ(scopedResult(result, std::nullopt).listeners.size(), 4u);
    const auto scoped = scopedResult(result, agent);
    ASSERT_EQ(scoped.listeners.size(), 2u);
    EXPECT_EQ(scoped.listeners[0].port, 3000);
    EXPECT_EQ(scoped.listeners[1].port, 3002);
    EXPECT_EQ(scoped.scannedAt, result.scannedAt);
}

TEST(ConfirmationCards, FiveCardsWithTheirPlurals) {
    const ProcessIdentity target{42, 1, 0};
    const KillRequest kill{{"id", "node", 42, 3000, "SIGTERM", target}};
    const ForceKillRequest force{{"id", "node", 42, 3000, "SIGKILL", target}};
    StopPoolRequest pool;
    pool.displayName = "gunicorn";
    pool.port = 8000;
    pool.poolSize = 1;
    StopVisibleRequest one{"a", 1, {kill}};
    StopVisibleRequest many{"b", 5, {kill, pool}};
    const StopAgentRequest agent{"s", "Codex", 77, "SIGTERM", {}};
    EXPECT_EQ(confirmationTexts(kill),
              (ConfirmationTexts{"Kill node (PID 42)?",
                                 "Sends SIGTERM to the process listening on port 3000. Protected system processes are "
                                 "never terminated.",
                                 "Kill Process"}));
    EXPECT_EQ(confirmationTexts(force),
              (ConfirmationTexts{"Force kill node (PID 42)?",
                                 "Sends SIGKILL to the process listening on port 3000. This cannot be undone and may "
                                 "lose unsaved work.",
                                 "Force Kill"}));
    EXPECT_EQ(confirmationTexts(pool),
              (ConfirmationTexts{"Stop gunicorn worker pool?",
                                 "Sends SIGTERM to the pool serving port 8000 (×1). Protected processes are never "
                                 "terminated.",
                                 "Stop Pool"}));
    EXPECT_EQ(confirmationTexts(one).title, "Stop 1 visible target?");
    EXPECT_EQ(confirmationTexts(one).message,
              "Sends SIGTERM once to each verified process or worker pool behind 1 actionable visible listener. "
              "Background, protected, changed, and no-longer-owned processes are skipped.");
    EXPECT_EQ(confirmationTexts(many).title, "Stop 2 visible targets?");
    EXPECT_NE(confirmationTexts(many).message.find("behind 5 actionable visible listeners."), std::string::npos);
    EXPECT_EQ(confirmationTexts(agent),
              (ConfirmationTexts{"Stop Codex agent (PID 77)?",
                                 "Sends SIGTERM only to the verified local agent process. Its terminal, editor, and "
                                 "other host apps remain open.",
                                 "Stop Agent"}));
    // Integers are never grouped.
    KillRequest big = kill;
    big.pid = 1234567;
    EXPECT_EQ(confirmationTexts(big).title, "Kill node (PID 1234567)?");
}

TEST(ConfirmationCards, FirstPendingShowsAndCancellingRevealsTheNext) {
    PendingStops pending;
    EXPECT_FALSE(shownStop(pending));
    pending.stopPool = StopPoolRequest{};
    pending.kill = KillRequest{{"id", "node", 42, 3000, "SIGTERM", {}}};
    ASSERT_TRUE(shownStop(pending));
    EXPECT_TRUE(std::holds_alternative<KillRequest>(*shownStop(pending)));
    pending = cancelledShown(pending);
    EXPECT_FALSE(pending.kill);
    EXPECT_TRUE(std::holds_alternative<StopPoolRequest>(*shownStop(pending)));
    pending = cancelledShown(pending);
    EXPECT_FALSE(pending.any());
}

TEST(NextID, WrapsAndCountsFromTheEdges) {
    const std::vector<std::string> ids{"a", "b", "c"};
    using N = ListenerKeyboardNavigation;
    EXPECT_EQ(N::nextID({}, std::string("a"), 1), std::nullopt);
    EXPECT_EQ(N::nextID(ids, std::string("a"), -1), "c");
    EXPECT_EQ(N::nextID(ids, std::string("c"), 1), "a");
    EXPECT_EQ(N::nextID(ids, std::string("b"), 1), "c");
    EXPECT_EQ(N::nextID(ids, std::string("x"), 1), "a");
    EXPECT_EQ(N::nextID(ids, std::string("x"), -1), "c");
    EXPECT_EQ(N::nextID(ids, std::nullopt, 1), "a");
    EXPECT_EQ(N::nextID(ids, std::nullopt, -1), "c");
    EXPECT_EQ(N::nextID(ids, std::nullopt, 0), "a");
    EXPECT_EQ(N::nextID({"a", "b", "a"}, std::string("a"), 1), "b");
    // Steps far below -n wrap by a true modulo, never to a negative index.
    EXPECT_EQ(N::nextID(ids, std::string("a"), -4), "c");
    EXPECT_EQ(N::nextID(ids, std::string("a"), -7), "c");
    EXPECT_EQ(N::nextID(ids, std::string("b"), -300), "b");
    EXPECT_EQ(N::nextID(ids, std::string("a"), 7), "b");
}

TEST(ReconciledSelection, FollowsTheRows) {
    EXPECT_EQ(reconciledSelection({}, std::string("a")), std::nullopt);
    EXPECT_EQ(reconciledSelection({"a", "b"}, std::string("b")), "b");
    EXPECT_EQ(reconciledSelection({"a", "b"}, std::string("gone")), "a");
    EXPECT_EQ(reconciledSelection({"a", "b"}, std::nullopt), "a");
}

TEST(KeyboardAction, KeyRules) {
    const ProcessSafetyClassifier::Context context{1, 501};
    auto web = makeListener(10, 3000);
    web.endpoints = {BoundEndpoint{"127.0.0.1", AddressFamily::ipv4, 3000}};
    web.bindScope = BindScope::loopbackOnly;
    const auto pool = makePoolListener(20, 8000, 4, ProcessIdentity{19, 1019, 0});
    using A = ListenerKeyboardAction;
    auto open = A::forKey('o', web, false, context);
    ASSERT_TRUE(std::holds_alternative<A::Open>(open.value));
    EXPECT_EQ(std::get<A::Open>(open.value).url, *web.openableURL());
    EXPECT_TRUE(std::holds_alternative<A::Unavailable>(A::forKey('o', makeListener(11, 70000), false, context).value));
    EXPECT_TRUE(std::holds_alternative<A::Focus>(A::forKey('T', web, true, context).value));
    EXPECT_TRUE(std::holds_alternative<A::Unavailable>(A::forKey('t', web, false, context).value));
    EXPECT_TRUE(std::holds_alternative<KillRequest>(A::forKey('k', web, false, context).value));
    // "K" on a pool stops the pool, never its representative alone.
    EXPECT_TRUE(std::holds_alternative<StopPoolRequest>(A::forKey('K', pool, false, context).value));
    // Another user's process: nothing to offer.
    EXPECT_TRUE(std::holds_alternative<A::Unavailable>(A::forKey('k', web, false, {1, 502}).value));
    EXPECT_TRUE(std::holds_alternative<A::Unavailable>(A::forKey('x', web, true, context).value));
}

TEST(RowTexts, ClassificationDisplayLabel) {
    struct Case {
        std::string process;
        ServiceClassification classification;
        std::optional<std::string> expected;
    };
    auto cls = [](Confidence confidence, std::string label, std::optional<Framework> framework = {},
                  std::optional<KnownService> service = {}, std::optional<Runtime> runtime = {}) {
        ServiceClassification c;
        c.confidence = confidence;
        c.label = std::move(label);
        c.framework = framework;
        c.service = service;
        c.runtime = runtime;
        return c;
    };
    const Case cases[] = {
        {"/usr/bin/node", cls(Confidence::high, "Vite", Framework::vite, {}, Runtime::node), "Vite"},
        {"/usr/bin/redis-server", cls(Confidence::high, "Redis", {}, KnownService::redis), "Redis"},
        {"/usr/bin/python3", cls(Confidence::medium, "Python", {}, {}, Runtime::python), "Python"},
        {"/usr/bin/node", cls(Confidence::medium, "Node", {}, {}, Runtime::node), std::nullopt},  // its own name
        {"/opt/x/thing", cls(Confidence::low, "  custom tool \n"), "custom tool"},
        {"/opt/x/thing", cls(Confidence::low, "   "), std::nullopt},
        {"/opt/x/thing", cls(Confidence::unknown, "Something"), std::nullopt},
    };
    for (const auto& c : cases) {
        auto l = makeListener(10, 3000, c.process);
        l.classification = c.classification;
        EXPECT_EQ(classificationDisplayLabel(l), c.expected) << c.classification.label;
    }
}

TEST(RowTexts, ContextTitleTooltipAndBind) {
    auto l = makeListener(10, 3000, "/usr/bin/node");
    EXPECT_EQ(processContext(l), "local listener");
    l.project = ListenerProject{"shop", "/home/u/shop"};
    EXPECT_EQ(processContext(l), "shop");
    l.classification.runtime = Runtime::node;
    EXPECT_EQ(processContext(l), "Node");
    l.classification.framework = Framework::next;
    l.classification.confidence = Confidence::high;
    EXPECT_EQ(processContext(l), "Next.js");
    l.host = AgentHost{HostAppKind::vscode};
    l.endpoints = {BoundEndpoint{"127.0.0.1", AddressFamily::ipv4, 3000}};
    l.bindScope = BindScope::loopbackOnly;
    const auto texts = listenerRowTexts(l, ActivityLevel::low, 12.4, RowVisibleFields{}, DisplaySettings::RowDensity::compact,
                                        wallTimeFromMicroseconds(0));
    EXPECT_EQ(texts.tooltipLines,
              (std::vector<std::string>{"PID 10", *l.openableURL(), "Detected: Next.js",
                                        "Launched from: " + std::string(displayName(HostAppKind::vscode)),
                                        "Project: shop"}));
    EXPECT_EQ(texts.actionsAccessibleName, "Actions for node on port 3000");

    auto pool = makePoolListener(20, 8000, 4, ProcessIdentity{19, 1019, 0});
    EXPECT_EQ(processTitle(pool), "python3 ×4");
    pool.workerPoolSize = 1;
    EXPECT_EQ(processTitle(pool), "python3");

    EXPECT_EQ(bindBadgeTexts(BindScope::loopbackOnly), (BindBadgeTexts{"localhost", "Reachable from this computer only."}));
    EXPECT_EQ(bindBadgeTexts(BindScope::allInterfaces).word, "All Interfaces");
    EXPECT_EQ(bindBadgeTexts(BindScope::specificInterface).word, "interface");
    EXPECT_EQ(bindBadgeTexts(BindScope::mixed).word, "mixed");
    EXPECT_EQ(bindBadgeTexts(BindScope::unknown),
              (BindBadgeTexts{"unknown", "Quaylight could not determine this listener's bind scope."}));
}

TEST(RowTexts, FieldsAndUptime) {
    auto l = makeListener(10, 3000);
    l.process.edit().residentMemoryBytes = 50ull * 1024 * 1024;
    const auto now = wallTimeFromMicroseconds(std::int64_t{1010 + 3600} * 1'000'000);
    RowVisibleFields none{false, false, false, false, false, false, false, false, false};
    auto bare = listenerRowTexts(l, ActivityLevel::high, 5.0, none, DisplaySettings::RowDensity::comfortable, now);
    EXPECT_FALSE(bare.port);
    EXPECT_FALSE(bare.hasVitalsLine);
    EXPECT_TRUE(bare.vitals.empty());
    RowVisibleFields cpuOnly = none;
    cpuOnly.cpu = true;
    auto noCPU = listenerRowTexts(l, ActivityLevel::high, std::nullopt, cpuOnly, DisplaySettings::RowDensity::comfortable, now);
    EXPECT_TRUE(noCPU.hasVitalsLine);  // the line stands on the flags alone
    EXPECT_TRUE(noCPU.vitals.empty());
    RowVisibleFields all{true, true, true, true, true, true, true, true, true};
    auto full = listenerRowTexts(l, ActivityLevel::medium, 0.2, all, DisplaySettings::RowDensity::comfortable, now);
    ASSERT_EQ(full.vitals.size(), 4u);  // no host, no project
    EXPECT_EQ(full.vitals[0].text, "1h");
    EXPECT_EQ(full.vitals[1].text, "<1%");
    EXPECT_EQ(full.vitals[2].text, "50 MB");
    EXPECT_EQ(full.vitals[3].text, "Medium");
    EXPECT_EQ(full.path, "/usr/bin/node");
    auto unknown = listenerRowTexts(l, ActivityLevel::unknown, 0.2, all, DisplaySettings::RowDensity::comfortable, now);
    EXPECT_EQ(unknown.vitals.size(), 3u);  // no power item without a known activity
    // A start in the future, or beyond any signed count, reads as no time at all.
    EXPECT_EQ(uptimeLabel(5000, wallTimeFromMicroseconds(std::int64_t{4000} * 1'000'000)), "0s");
    EXPECT_EQ(uptimeLabel(UINT64_MAX, now), "0s");
    EXPECT_EQ(uptimeLabel(1000, wallTimeFromMicroseconds(std::int64_t{1045} * 1'000'000 + 999'999)), "45s");
}

}  // namespace
}  // namespace quaylight
