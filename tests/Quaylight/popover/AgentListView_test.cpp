// The Agents tab's real view on the offscreen platform: inventory and connection state in,
// the texts, buttons and colours it shows out.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QPointer>
#include <QApplication>
#include <QScrollArea>
#include <QTest>

#include "Quaylight/design/theme/PremiumTheme.h"
#include "Quaylight/popover/frame/FilterChip.h"
#include "Quaylight/popover/agents/AgentHostSectionView.h"
#include "Quaylight/popover/agents/AgentRowView.h"
#include "Quaylight/popover/agents/FakeHostIconProvider.h"
#include "Quaylight/popover/agents/AgentListView.h"
#include "Quaylight/popover/frame/PopoverWidgets.h"
#include "Quaylight/popover/frame/WrapLabel.h"
#include "tests/Quaylight/popover/AccessibleWalk.h"

namespace quaylight {
namespace {

using Status = AgentProviderConnectionStatus::Kind;
using Content = AgentInventoryListModel::Content::Kind;

const WallTime kNow = wallTimeFromMicroseconds(1'700'000'000'000'000);

std::vector<AgentProviderConnection> connections(Status codex, Status claude, bool enabled = true) {
    return {{AgentKind::codex, AgentProviderConnectionStatus::of(codex), enabled},
            {AgentKind::claude, AgentProviderConnectionStatus::of(claude), enabled}};
}

AgentSessionSnapshot session(std::int32_t pid, AgentKind provider, AgentSessionState state,
                             std::optional<HostAppKind> host = std::nullopt) {
    AgentSessionSnapshot s;
    AgentProcessIdentity identity;
    identity.process.pid = pid;
    identity.process.startTimeSeconds = 1'699'999'000;
    identity.kind = provider;
    s.id = AgentSessionID::process(identity);
    s.provider = provider;
    s.state = state;
    s.processIdentity = identity;
    s.executionLocation = AgentExecutionLocation::local();
    s.startedAt = kNow - std::chrono::seconds(30);
    s.lastEventAt = kNow - std::chrono::seconds(5);
    s.projectName = "project-" + std::to_string(pid);
    if (host) s.controlSurface = AgentHostDescriptor{*host, std::string(displayName(*host)), {pid + 1000, 0, 0}};
    return s;
}

AgentInventorySnapshot snapshotOf(std::vector<AgentSessionSnapshot> sessions) {
    AgentInventorySnapshot snapshot;
    snapshot.sessions = std::move(sessions);
    snapshot.freshness = InventoryFreshness::live();
    snapshot.capturedAt = kNow;
    return snapshot;
}

AgentListInputs inputsFor(const AgentInventorySnapshot& snapshot, AgentProviderFilter filter,
                          std::vector<AgentProviderConnection> connections,
                          std::optional<std::string> failure = std::nullopt, std::string search = {}) {
    AgentListInputs inputs;
    inputs.model = AgentInventoryListModel::build(snapshot, filter, search);
    inputs.freshness = snapshot.freshness;
    inputs.filter = filter;
    inputs.now = kNow;
    inputs.stopAvailabilityByID = snapshot.stopAvailabilityByID();
    inputs.connections = std::move(connections);
    inputs.receiverFailure = std::move(failure);
    return inputs;
}

struct Recorder {
    std::vector<std::string> calls;
    AgentListCallbacks callbacks() {
        AgentListCallbacks c;
        c.onFilterChange = [this](AgentProviderFilter f) { calls.push_back("filter " + std::string(rawValue(f))); };
        c.onConnectProvider = [this](AgentKind k) { calls.push_back("connect " + std::string(rawValue(k))); };
        c.onRetryReceiver = [this] { calls.push_back("retry"); };
        c.quit = [this] { calls.push_back("quit"); };
        c.onToggleExpanded = [this](const AgentSessionSnapshot& s) { calls.push_back("toggle " + s.rowKey()); };
        c.onStopAgent = [this](const AgentSessionSnapshot& s) { calls.push_back("stop " + s.rowKey()); };
        return c;
    }
};

std::string s(const QString& text) { return text.toStdString(); }

// What the shown state says, top to bottom: its name, title, detail, then its buttons.
std::vector<std::string> shownState(const AgentListView& view) {
    std::vector<std::string> shown;
    QWidget* state = view.stateView();
    if (!state) return shown;
    shown.push_back(s(state->objectName()));
    for (const char* part : {"title", "detail"})
        if (auto* label = state->findChild<WrapLabel*>(QLatin1String(part))) shown.push_back(s(label->text()));
    for (auto* button : state->findChildren<QAbstractButton*>()) shown.push_back(s(button->text()));
    return shown;
}

QAbstractButton* stateButton(const AgentListView& view, const std::string& title) {
    if (!view.stateView()) return nullptr;
    for (auto* button : view.stateView()->findChildren<QAbstractButton*>())
        if (s(button->text()) == title) return button;
    return nullptr;
}

TEST(AgentListView, StatesAgainstConnectionsAndReceiverFailure) {
    const auto codexOnly = snapshotOf({session(10, AgentKind::codex, AgentSessionState::working)});
    const auto empty = snapshotOf({});
    // Inventory, filter, connections, failure and search in; the state's visible texts out.
    struct Case {
        AgentInventorySnapshot snapshot;
        AgentProviderFilter filter;
        std::vector<AgentProviderConnection> connections;
        std::optional<std::string> failure;
        std::string search;
        std::vector<std::string> shown;
    };
    const auto bothConnected = connections(Status::connected, Status::connected);
    const Case cases[] = {
        // A failure needs a locally enabled connection.
        {empty, AgentProviderFilter::all, connections(Status::notConfigured, Status::notConfigured, false),
         "socket gone", {},
         {"connectionEmptyState", "No local agents detected",
          "CLI agents appear automatically. Connect Codex to include its desktop sessions.", "Connect Codex"}},
        {empty, AgentProviderFilter::all, bothConnected, "x", {},
         {"receiverFailedState", "Connected, but not receiving", "x", "Retry"}},
        {codexOnly, AgentProviderFilter::claude, bothConnected, "x", {},
         {"receiverFailedState", "Connected, but not receiving", "x", "Retry", "Show all agents"}},
        {codexOnly, AgentProviderFilter::claude, connections(Status::connected, Status::notConfigured), std::nullopt,
         {},
         {"providerEmptyState", "No Claude agents detected",
          "CLI agents appear automatically. Connect Claude to include its desktop sessions.", "Connect Claude",
          "Show all agents"}},
        // The search finding nothing is not the receiver's fault.
        {codexOnly, AgentProviderFilter::all, bothConnected, "x", "zzz",
         {"noMatchesState", "No matching agents", "No agent's provider, app, project, or state matches the search."}},
    };
    for (const auto& c : cases) {
        Recorder recorder;
        AgentListView view(recorder.callbacks(), [] { return kNow; });
        view.resize(700, 380);
        view.apply(inputsFor(c.snapshot, c.filter, c.connections, c.failure, c.search));
        EXPECT_EQ(shownState(view), c.shown);
    }
}

TEST(AgentListView, SectionsWithAFailureDoNotMentionIt) {
    Recorder recorder;
    AgentListView view(recorder.callbacks(), [] { return kNow; });
    view.apply(inputsFor(snapshotOf({session(10, AgentKind::codex, AgentSessionState::working)}),
                         AgentProviderFilter::all, connections(Status::connected, Status::connected), "x"));
    EXPECT_EQ(view.stateView(), nullptr);
    EXPECT_EQ(s(view.summaryText()), "1 local agent");
    ASSERT_TRUE(view.stateLineText());
    EXPECT_EQ(s(*view.stateLineText()), "1 working");
    for (auto* child : view.findChildren<WrapLabel*>()) EXPECT_NE(s(child->text()), "x");
}

TEST(AgentListView, StateButtonsCallTheirCallbacks) {
    Recorder recorder;
    AgentListView view(recorder.callbacks(), [] { return kNow; });
    const auto codexOnly = snapshotOf({session(10, AgentKind::codex, AgentSessionState::working)});
    view.apply(inputsFor(codexOnly, AgentProviderFilter::claude, connections(Status::connected, Status::notConfigured)));
    QTest::mouseClick(stateButton(view, "Connect Claude"), Qt::LeftButton);
    QTest::mouseClick(stateButton(view, "Show all agents"), Qt::LeftButton);
    view.apply(inputsFor(codexOnly, AgentProviderFilter::claude, connections(Status::connected, Status::connected), "x"));
    QTest::mouseClick(stateButton(view, "Retry"), Qt::LeftButton);
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"connect claude", "filter all", "retry"}));
}

TEST(AgentListView, ChipsShowCountsAndSelection) {
    Recorder recorder;
    AgentListView view(recorder.callbacks(), [] { return kNow; });
    const auto snapshot = snapshotOf({session(10, AgentKind::codex, AgentSessionState::working),
                                      session(11, AgentKind::claude, AgentSessionState::waiting),
                                      session(12, AgentKind::claude, AgentSessionState::recentlyFinished)});
    view.apply(inputsFor(snapshot, AgentProviderFilter::codex, connections(Status::connected, Status::connected)));
    const auto chips = view.chips();
    ASSERT_EQ(chips.size(), 3u);
    struct Expected {
        std::string title;
        std::string label;
        std::string value;
    };
    const Expected expected[] = {
        {"All 2", "All agents filter, 2 agents", "Not selected"},
        {"Codex 1", "Codex agents filter, 1 agent", "Selected"},
        {"Claude 1", "Claude agents filter, 1 agent", "Not selected"},
    };
    for (std::size_t i = 0; i < chips.size(); ++i) {
        EXPECT_EQ(s(chips[i]->title()), expected[i].title);
        EXPECT_EQ(s(chips[i]->accessibleName()), expected[i].label);
        EXPECT_EQ(s(chips[i]->accessibleDescription()), expected[i].value);
        EXPECT_EQ(chips[i]->isChecked(), i == 1);
        EXPECT_EQ(chips[i]->focusPolicy(), Qt::NoFocus);
    }
    // Tapping the active chip reports it again; the view itself selects nothing.
    QTest::mouseClick(chips[1], Qt::LeftButton);
    QTest::mouseClick(chips[2], Qt::LeftButton);
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"filter codex", "filter claude"}));
    EXPECT_TRUE(chips[1]->isChecked());
}

TEST(AgentListView, FooterStaleAgainstLive) {
    struct Case {
        InventoryFreshness freshness;
        std::vector<AgentProviderConnection> connections;
        std::string text;
        QColor color;
        std::optional<std::string> connect;
    };
    const Case cases[] = {
        {InventoryFreshness::live(), connections(Status::connected, Status::connected),
         "CLI agents are detected automatically", white(0.45), std::nullopt},
        {InventoryFreshness::stale(kNow), connections(Status::connected, Status::connected),
         "Showing last known agents \u2014 the current scan is unavailable", PremiumTheme::warning(), std::nullopt},
        {InventoryFreshness::live(), connections(Status::notConfigured, Status::connected),
         "Connect Codex to include its desktop sessions", white(0.45), "Connect Codex agent sessions"},
    };
    for (const auto& c : cases) {
        Recorder recorder;
        AgentListView view(recorder.callbacks(), [] { return kNow; });
        auto snapshot = snapshotOf({session(10, AgentKind::codex, AgentSessionState::working)});
        snapshot.freshness = c.freshness;
        view.apply(inputsFor(snapshot, AgentProviderFilter::all, c.connections));
        EXPECT_EQ(s(view.footerText()), c.text);
        EXPECT_EQ(view.footerTextColor(), c.color) << c.text;
        auto* connect = view.footerConnect();
        EXPECT_EQ(connect != nullptr, c.connect.has_value());
        if (connect && c.connect) {
            EXPECT_EQ(s(connect->accessibleName()), *c.connect);
            QTest::mouseClick(connect, Qt::LeftButton);
            EXPECT_EQ(recorder.calls, (std::vector<std::string>{"connect codex"}));
        }
    }
}

TEST(AgentListView, LongReceiverFailureWrapsInsideItsState) {
    Recorder recorder;
    AgentListView view(recorder.callbacks(), [] { return kNow; });
    view.resize(700, 380);
    const std::string failure = std::string(300, 'w') + "\nsecond\x1b[31m line";
    view.apply(inputsFor(snapshotOf({}), AgentProviderFilter::all, connections(Status::connected, Status::connected),
                         failure));
    view.show();
    QApplication::processEvents();
    auto* detail = view.stateView()->findChild<WrapLabel*>(QStringLiteral("detail"));
    ASSERT_NE(detail, nullptr);
    EXPECT_FALSE(detail->text().contains(QChar(0x1b)));
    EXPECT_LE(detail->width(), view.width());
    EXPECT_GT(detail->heightForWidth(detail->width()), detail->fontMetrics().height() * 2);
}

std::vector<std::string> rowKeys(const AgentHostSectionView* section) {
    std::vector<std::string> keys;
    for (auto* row : section->rows()) keys.push_back(row->rowKey());
    return keys;
}

TEST(AgentListView, SectionsKeptByIDAndRowsByRowKey) {
    Recorder recorder;
    auto icons = std::make_shared<FakeHostIconProvider>();
    AgentListView view(recorder.callbacks(), [] { return kNow; }, icons);
    view.resize(700, 380);
    auto a = session(10, AgentKind::codex, AgentSessionState::working, HostAppKind::terminal);
    auto b = session(11, AgentKind::claude, AgentSessionState::waiting, HostAppKind::vscode);
    auto c = session(12, AgentKind::claude, AgentSessionState::detected, HostAppKind::terminal);
    view.apply(inputsFor(snapshotOf({a, b, c}), AgentProviderFilter::all, {}));
    view.show();
    QApplication::processEvents();
    ASSERT_EQ(view.sectionOrder(), (std::vector<std::string>{"host:terminal", "host:vscode"}));
    auto* terminal = view.section("host:terminal");
    auto* vscode = view.section("host:vscode");
    EXPECT_EQ(rowKeys(terminal), (std::vector<std::string>{a.rowKey(), c.rowKey()}));
    AgentRowView* rowA = terminal->row(a.rowKey());
    AgentRowView* rowB = vscode->row(b.rowKey());
    const int paintsA = rowA->paintCount();

    // b now needs attention: its section moves first, both sections and every row are kept.
    b.state = AgentSessionState::needsAttention;
    view.apply(inputsFor(snapshotOf({a, b, c}), AgentProviderFilter::all, {}));
    QApplication::processEvents();
    EXPECT_EQ(view.sectionOrder(), (std::vector<std::string>{"host:vscode", "host:terminal"}));
    EXPECT_EQ(view.section("host:terminal"), terminal);
    EXPECT_EQ(view.section("host:vscode"), vscode);
    EXPECT_EQ(terminal->row(a.rowKey()), rowA);
    EXPECT_EQ(vscode->row(b.rowKey()), rowB);

    // An equal frame changes nothing and paints nothing.
    const int paintsB = rowB->paintCount();
    view.apply(inputsFor(snapshotOf({a, b, c}), AgentProviderFilter::all, {}));
    QApplication::processEvents();
    EXPECT_EQ(rowB->paintCount(), paintsB);
    EXPECT_GE(rowA->paintCount(), paintsA);

    // A section whose rows left goes.
    view.apply(inputsFor(snapshotOf({b}), AgentProviderFilter::all, {}));
    EXPECT_EQ(view.sectionOrder(), (std::vector<std::string>{"host:vscode"}));
    EXPECT_EQ(view.section("host:terminal"), nullptr);
}

TEST(AgentListView, TwinRowsExpandAndStopByRowKey) {
    Recorder recorder;
    AgentListView view(recorder.callbacks(), [] { return kNow; }, std::make_shared<FakeHostIconProvider>());
    auto live = session(10, AgentKind::codex, AgentSessionState::working);
    auto finished = live;
    finished.state = AgentSessionState::recentlyFinished;
    finished.lastEventAt = kNow - std::chrono::seconds(20);
    ASSERT_NE(live.rowKey(), finished.rowKey());
    auto snapshot = snapshotOf({live, finished});
    auto inputs = inputsFor(snapshot, AgentProviderFilter::all, {});
    inputs.expandedRowKey = finished.rowKey();
    view.apply(inputs);
    auto* section = view.section("host:unknown");
    ASSERT_NE(section, nullptr);
    auto* liveRow = section->row(live.rowKey());
    auto* finishedRow = section->row(finished.rowKey());
    ASSERT_TRUE(liveRow && finishedRow);
    EXPECT_TRUE(finishedRow->isExpanded());
    EXPECT_FALSE(liveRow->isExpanded());
    EXPECT_EQ(finishedRow->context().stopAvailability, AgentStopAvailability::finished);
    EXPECT_EQ(liveRow->context().stopAvailability, AgentStopAvailability::available);
    EXPECT_FALSE(finishedRow->texts().showsStop());

    // A row's own gestures leave with that very row's session.
    QTest::mouseClick(liveRow->rowButton(), Qt::LeftButton);
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"toggle " + live.rowKey()}));
}

TEST(AgentListView, AnOpenRowWhoseSessionEndsLeavesTheAccessibleTreeBeforeItIsDeleted) {
    Recorder recorder;
    auto icons = std::make_shared<FakeHostIconProvider>();
    AgentListView view(recorder.callbacks(), [] { return kNow; }, icons);
    view.resize(700, 380);
    auto live = session(10, AgentKind::codex, AgentSessionState::working, HostAppKind::terminal);
    auto inputs = inputsFor(snapshotOf({live}), AgentProviderFilter::all, {});
    inputs.expandedRowKey = live.rowKey();
    view.apply(inputs);
    view.show();
    QApplication::processEvents();
    AgentRowView* row = view.section("host:terminal")->row(live.rowKey());
    ASSERT_TRUE(row && row->detailBand() && row->stopButton());
    // A screen reader has read the open row down to its Stop button.
    QPointer<QWidget> oldRow(row);
    QPointer<QWidget> oldStop(row->stopButton());
    QAccessibleInterface* heldStop = QAccessible::queryAccessibleInterface(row->stopButton());
    bool stopReached = false;
    for (auto* node : test::accessibleNodes(&view)) stopReached = stopReached || node->object() == oldStop;
    ASSERT_TRUE(stopReached);

    // The session ends: its finished row comes under a new key, with the old one still open.
    auto finished = live;
    finished.state = AgentSessionState::recentlyFinished;
    finished.lastEventAt = kNow;
    ASSERT_NE(finished.rowKey(), live.rowKey());
    inputs = inputsFor(snapshotOf({finished}), AgentProviderFilter::all, {});
    inputs.expandedRowKey = live.rowKey();
    view.apply(inputs);

    // Still alive this turn (it may be running its own handler), but out of every walk.
    ASSERT_TRUE(oldRow && oldStop);
    EXPECT_TRUE(heldStop->state().invisible);
    const auto rowNames = [&] {
        std::vector<std::string> names;
        for (auto* node : test::accessibleNodes(&view)) {
            EXPECT_NE(node->object(), oldRow.data());
            EXPECT_NE(node->object(), oldStop.data());
            if (node->object() && node->object()->objectName() == QStringLiteral("agentRowButton"))
                names.push_back(s(node->text(QAccessible::Name)).substr(0, 15));
        }
        return names;
    };
    EXPECT_EQ(rowNames(), std::vector<std::string>{"Codex, finished"});

    // Gone on the next turn; the tree read again reads the finished row alone.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(oldRow);
    EXPECT_EQ(rowNames(), std::vector<std::string>{"Codex, finished"});
}

TEST(AgentListView, OneTimerForTheNextElapsedLabel) {
    WallTime clock = kNow;
    Recorder recorder;
    AgentListView view(recorder.callbacks(), [&] { return clock; }, std::make_shared<FakeHostIconProvider>());
    auto young = session(10, AgentKind::codex, AgentSessionState::working);  // 30 s old
    auto old = session(11, AgentKind::codex, AgentSessionState::waiting);
    old.startedAt = kNow - std::chrono::seconds(3600 + 50);
    view.apply(inputsFor(snapshotOf({young, old}), AgentProviderFilter::all, {}));
    EXPECT_EQ(view.nextTick(), kNow + std::chrono::seconds(1));
    auto* row = view.section("host:unknown")->row(young.rowKey());
    EXPECT_EQ(row->texts().elapsed, "30s");

    clock = kNow + std::chrono::seconds(1);
    view.tick();
    EXPECT_EQ(row->texts().elapsed, "31s");
    EXPECT_EQ(view.nextTick(), kNow + std::chrono::seconds(2));

    // Only the old session left: the next change is its next whole minute.
    view.apply(inputsFor(snapshotOf({old}), AgentProviderFilter::all, {}));
    EXPECT_EQ(view.nextTick(), kNow + std::chrono::seconds(10));
    // Nothing listed: no timer at all.
    view.apply(inputsFor(snapshotOf({}), AgentProviderFilter::all, {}));
    EXPECT_EQ(view.nextTick(), std::nullopt);
}

// Every control is named for assistive technologies, also before the first inputs arrive
// and in every state.
TEST(AgentListView, EveryControlHasAName) {
    Recorder recorder;
    AgentListView view(recorder.callbacks(), [] { return kNow; }, std::make_shared<FakeHostIconProvider>());
    const auto unnamed = [&view] {
        std::vector<std::string> found;
        for (auto* button : view.findChildren<QAbstractButton*>())
            if (button->accessibleName().isEmpty() && button->text().isEmpty()) found.push_back(s(button->objectName()));
        return found;
    };
    EXPECT_EQ(unnamed(), std::vector<std::string>{});
    view.apply(inputsFor(snapshotOf({}), AgentProviderFilter::all, connections(Status::notConfigured, Status::connected)));
    EXPECT_EQ(unnamed(), std::vector<std::string>{});
    view.apply(inputsFor(snapshotOf({session(10, AgentKind::codex, AgentSessionState::working)}),
                         AgentProviderFilter::all, connections(Status::connected, Status::connected)));
    EXPECT_EQ(unnamed(), std::vector<std::string>{});
}

}  // namespace
}  // namespace quaylight
