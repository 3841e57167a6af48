// Pictures of the Agents tab for people to look at: two host sections with an open row, the
// empty state with its connect prompt, the receiver failure, the stop-agent card, and a
// crowded machine scrolled to the middle and the end and with a row opened.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include "Quaylight/popover/agents/AgentHostSectionView.h"
#include "Quaylight/popover/agents/AgentListView.h"
#include "Quaylight/popover/agents/AgentRowView.h"
#include "tests/Quaylight/design/support/Rendering.h"
#include "tests/Quaylight/popover/AgentSessions.h"
#include "tests/Quaylight/popover/PopoverHarness.h"
#include "tests/QuaylightKit/Listeners.h"

namespace quaylight {
namespace {

using namespace testsupport;
using test::PopoverHarness;
using std::chrono::seconds;

const WallTime kNow = wallTimeFromMicroseconds(1'780'000'000'000'000);

AgentSessionSnapshot agent(std::int32_t pid, AgentKind provider, AgentSessionState state, std::optional<HostAppKind> host,
                           std::optional<std::string> project, seconds age) {
    AgentSessionSnapshot s;
    const AgentProcessIdentity identity{{pid, 1'779'990'000, 0}, provider};
    s.id = AgentSessionID::process(identity);
    s.provider = provider;
    s.state = state;
    s.processIdentity = identity;
    s.executionLocation = AgentExecutionLocation::local();
    s.projectName = std::move(project);
    s.startedAt = kNow - age;
    s.lastEventAt = kNow - seconds(4);
    if (host) s.controlSurface = AgentHostDescriptor{*host, std::string(displayName(*host)), {pid - 1, 1'779'980'000, 0}};
    return s;
}

void agentsPanel(PopoverHarness& h, std::vector<AgentSessionSnapshot> sessions,
                 std::vector<AgentProviderConnection> connections) {
    h.inputs.now = kNow;
    h.inputs.state = resultOf({}, 1'780'000'000);
    h.inputs.panelMode = PanelMode::agents;
    h.inputs.agents.sessions = std::move(sessions);
    h.inputs.agents.freshness = InventoryFreshness::live();
    h.inputs.currentAgentSessions = static_cast<std::int64_t>(h.inputs.agents.currentSessions().size());
    h.inputs.agentConnections = std::move(connections);
    h.apply();
}

void picture(PopoverHarness& h, const QString& name) {
    h.show();
    QApplication::processEvents();
    h.finishCardFade();
    test::saveToGallery(test::render(h.window), name);
}

AgentProviderConnection connection(AgentKind provider, AgentProviderConnectionStatus status, bool enabled) {
    return {provider, std::move(status), enabled};
}

std::vector<AgentSessionSnapshot> threeAgents() {
    auto working = agent(300, AgentKind::claude, AgentSessionState::working, HostAppKind::vscode, "storefront",
                         seconds(42 * 60));
    auto port = makeListener(301, 5173, "/usr/bin/node");
    working.portRelationship = PortRelationshipConfidence::exact;
    working.relatedListenerIDs = {port.identity};
    auto attention = agent(400, AgentKind::codex, AgentSessionState::needsAttention, HostAppKind::terminal,
                           "billing-api", seconds(37));
    attention.stateDetail = "Waiting for approval to run a command";
    auto waiting = agent(500, AgentKind::codex, AgentSessionState::waiting, HostAppKind::terminal, std::nullopt,
                         seconds(3 * 3600 + 5 * 60));
    waiting.portRelationship = PortRelationshipConfidence::noneObserved;
    return {working, attention, waiting};
}

TEST(AgentsGallery, TwoHostSectionsWithAnOpenRow) {
    PopoverHarness h;
    const auto sessions = threeAgents();
    agentsPanel(h, sessions,
                {connection(AgentKind::codex, AgentProviderConnectionStatus::connected(kNow), true),
                 connection(AgentKind::claude, AgentProviderConnectionStatus::connected(kNow), true)});
    h.show();
    auto* row = h.root->agentList()->section("host:vscode")->row(sessions[0].rowKey());
    ASSERT_NE(row, nullptr);
    QTest::mouseClick(row->rowButton(), Qt::LeftButton);
    EXPECT_EQ(h.root->agentList()->sectionOrder(), (std::vector<std::string>{"host:terminal", "host:vscode"}));
    picture(h, QStringLiteral("agents-list"));
}

TEST(AgentsGallery, EmptyWithConnectPrompt) {
    PopoverHarness h;
    agentsPanel(h, {},
                {connection(AgentKind::codex, AgentProviderConnectionStatus::of(AgentProviderConnectionStatus::Kind::notConfigured), false),
                 connection(AgentKind::claude, AgentProviderConnectionStatus::of(AgentProviderConnectionStatus::Kind::notConfigured), false)});
    ASSERT_NE(h.root->agentList()->stateView(), nullptr);
    picture(h, QStringLiteral("agents-empty-connect"));
}

TEST(AgentsGallery, ReceiverFailure) {
    PopoverHarness h;
    h.inputs.receiverFailure =
        "Quaylight could not listen for agent events: the socket folder ~/.local/share/Quaylight/Runtime is not "
        "writable (permission denied).";
    agentsPanel(h, {}, {connection(AgentKind::codex, AgentProviderConnectionStatus::connected(kNow), true)});
    ASSERT_NE(h.root->agentList()->stateView(), nullptr);
    picture(h, QStringLiteral("agents-receiver-failure"));
}

TEST(AgentsGallery, StopAgentCard) {
    PopoverHarness h;
    const auto sessions = threeAgents();
    agentsPanel(h, sessions, {});
    const auto& s = sessions[1];
    h.update([&](PopoverInputs& i) {
        i.pending.stopAgent = StopAgentRequest{s.id.stableID(), "Codex", s.processIdentity->process.pid, "SIGTERM",
                                               *s.processIdentity};
    });
    picture(h, QStringLiteral("agents-stop-card"));
}

TEST(AgentsGallery, ACrowdScrolledAndOpened) {
    PopoverHarness h;
    agentsPanel(h, test::crowdOfSessions(200),
                {connection(AgentKind::codex, AgentProviderConnectionStatus::connected(kNow), true),
                 connection(AgentKind::claude, AgentProviderConnectionStatus::connected(kNow), true)});
    h.show();
    QApplication::processEvents();
    auto* list = h.root->agentList();
    auto* bar = list->scrollArea()->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    bar->setValue(bar->maximum() / 2);
    picture(h, QStringLiteral("agents-crowd-middle"));
    bar->setValue(bar->maximum());
    picture(h, QStringLiteral("agents-crowd-end"));
    // A row of the second section opened from the end: the list scrolls back to it.
    auto* section = list->section(list->sectionOrder()[1]);
    const auto key = section->listedSession(2).rowKey();
    h.update([&](PopoverInputs& i) { i.expandedAgentRowKey = key; });
    ASSERT_NE(section->row(key), nullptr);
    EXPECT_TRUE(section->row(key)->isExpanded());
    picture(h, QStringLiteral("agents-crowd-open"));
}

}  // namespace
}  // namespace quaylight
