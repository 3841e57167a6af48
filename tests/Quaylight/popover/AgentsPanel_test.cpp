// The Agents tab inside the real popover root: the list shows in Agents mode, and its row
// gestures reach the owner (related ports narrow the ports list, Stop Agent goes through
// the confirmation card).

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QTest>

#include "Quaylight/popover/frame/FilterChip.h"
#include "Quaylight/popover/agents/AgentHostSectionView.h"
#include "Quaylight/popover/agents/AgentListView.h"
#include "Quaylight/popover/agents/AgentRowView.h"
#include "Quaylight/popover/cards/ConfirmationOverlay.h"
#include "Quaylight/popover/frame/ModeSearchBar.h"
#include "Quaylight/popover/frame/PopoverWidgets.h"
#include "tests/Quaylight/popover/PopoverHarness.h"
#include "tests/QuaylightKit/Listeners.h"

namespace quaylight {
namespace {

using namespace testsupport;
using test::PopoverHarness;

const AgentProcessIdentity kAgent{{40, 1'699'999'000, 7}, AgentKind::codex};

PortListener agentListener() {
    auto mine = makeListener(41, 3000, "/usr/bin/node");
    mine.agentProcess = kAgent;
    return mine;
}

AgentSessionSnapshot agentSession() {
    AgentSessionSnapshot s;
    s.id = AgentSessionID::process(kAgent);
    s.provider = AgentKind::codex;
    s.state = AgentSessionState::working;
    s.processIdentity = kAgent;
    s.executionLocation = AgentExecutionLocation::local();
    s.projectName = "harbour";
    s.portRelationship = PortRelationshipConfidence::exact;
    s.relatedListenerIDs = {agentListener().identity};
    return s;
}

// The agent's own listener among two others.
void loadAgentAndPorts(PopoverHarness& h, const AgentSessionSnapshot& session) {
    h.inputs.state = resultOf({agentListener(), makeListener(50, 4000, "/usr/bin/node"), makeListener(51, 5000, "/usr/bin/node")});
    h.inputs.agents.sessions = {session};
    h.inputs.agents.freshness = InventoryFreshness::live();
    h.inputs.panelMode = PanelMode::agents;
    h.apply();
}

AgentRowView* onlyRow(PopoverHarness& h) {
    auto* section = h.root->agentList()->section("host:unknown");
    return section && section->rows().size() == 1 ? section->rows().front() : nullptr;
}

// Loads the agent, shows the panel and opens the agent row's detail band.
AgentRowView* expandedRow(PopoverHarness& h) {
    loadAgentAndPorts(h, agentSession());
    h.show();
    auto* row = onlyRow(h);
    if (row) QTest::mouseClick(row->rowButton(), Qt::LeftButton);
    return row;
}

TEST(AgentsPanel, AgentsModeShowsTheList) {
    PopoverHarness h;
    loadAgentAndPorts(h, agentSession());
    h.show();
    EXPECT_TRUE(h.root->agentList()->isVisible());
    EXPECT_FALSE(h.list()->isVisible());
    EXPECT_EQ(h.root->agentList()->summaryText(), QStringLiteral("1 local agent"));
    EXPECT_NE(onlyRow(h), nullptr);
    // Ports mode hides it again.
    h.update([](PopoverInputs& i) { i.panelMode = PanelMode::ports; });
    EXPECT_FALSE(h.root->agentList()->isVisible());
    EXPECT_TRUE(h.list()->isVisible());
}

TEST(AgentsPanel, ExpansionAndFilterGoThroughTheRoot) {
    PopoverHarness h;
    auto* row = expandedRow(h);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(h.root->expandedAgentRowKey(), agentSession().rowKey());
    EXPECT_TRUE(row->isExpanded());
    QTest::mouseClick(row->rowButton(), Qt::LeftButton);
    EXPECT_EQ(h.root->expandedAgentRowKey(), std::nullopt);

    QTest::mouseClick(h.root->agentList()->chips()[2], Qt::LeftButton);
    EXPECT_EQ(h.inputs.agentFilter, AgentProviderFilter::claude);
    ASSERT_NE(h.root->agentList()->stateView(), nullptr);
    EXPECT_EQ(h.root->agentList()->stateView()->objectName(), QStringLiteral("providerEmptyState"));
}

TEST(AgentsPanel, ViewRelatedPortsNarrowsThePortsList) {
    PopoverHarness h;
    auto* row = expandedRow(h);
    ASSERT_NE(row, nullptr);
    ASSERT_NE(row->portsButton(), nullptr);
    ASSERT_TRUE(row->portsButton()->isVisible());
    QTest::mouseClick(row->portsButton(), Qt::LeftButton);
    EXPECT_EQ(h.inputs.panelMode, PanelMode::ports);
    EXPECT_EQ(h.inputs.exactAgentScope, kAgent);
    EXPECT_EQ(h.rowIDs(), std::vector<std::string>{agentListener().id()});
}

TEST(AgentsPanel, StopAgentGoesThroughTheCard) {
    PopoverHarness h;
    h.stopAgentRequest = [](const AgentSessionSnapshot& s) {
        return StopAgentRequest{s.id.stableID(), "Codex", s.processIdentity->process.pid, "SIGTERM",
                                *s.processIdentity};
    };
    auto* row = expandedRow(h);
    ASSERT_NE(row, nullptr);
    ASSERT_NE(row->stopButton(), nullptr);
    QTest::mouseClick(row->stopButton(), Qt::LeftButton);
    EXPECT_EQ(h.agentCalls, std::vector<std::string>{"stop agent " + agentSession().rowKey()});
    ASSERT_TRUE(h.root->overlay()->isPresented());
    h.key(Qt::Key_Return);
    EXPECT_EQ(h.confirmed, std::vector<std::string>{"agent " + kAgent.stableID()});
    EXPECT_FALSE(h.root->overlay()->isPresented());
}

TEST(AgentsPanel, ConnectAndRetryReachTheOwner) {
    PopoverHarness h;
    h.inputs.state = resultOf({});
    h.inputs.panelMode = PanelMode::agents;
    h.inputs.agents.freshness = InventoryFreshness::live();
    h.inputs.agentConnections = {{AgentKind::codex, AgentProviderConnectionStatus::of(AgentProviderConnectionStatus::Kind::notConfigured), false}};
    h.apply();
    h.show();
    auto* list = h.root->agentList();
    ASSERT_NE(list->footerConnect(), nullptr);
    QTest::mouseClick(list->footerConnect(), Qt::LeftButton);
    h.update([](PopoverInputs& i) {
        i.agentConnections = {{AgentKind::codex, AgentProviderConnectionStatus::connected(std::nullopt), true}};
        i.receiverFailure = "The agent socket could not be opened.";
    });
    ASSERT_NE(list->stateView(), nullptr);
    for (auto* button : list->stateView()->findChildren<QAbstractButton*>())
        if (button->text() == QStringLiteral("Retry")) QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(h.agentCalls, (std::vector<std::string>{"connect codex", "retry"}));
}

// A failed ports scan takes the Ports list's place only: the Agents tab stays usable.
TEST(AgentsPanel, FailedPortsScanLeavesTheAgentsTab) {
    PopoverHarness h;
    loadAgentAndPorts(h, agentSession());
    h.update([](PopoverInputs& i) { i.state = PortsFailed{"netlink refused"}; });
    h.show();
    EXPECT_TRUE(h.root->agentList()->isVisible());
    EXPECT_NE(onlyRow(h), nullptr);
}

// Switching to Ports closes the open detail band, as the view model closes its expanded
// session; "View related ports" keeps it for the way back.
TEST(AgentsPanel, ModeSwitchToPortsClosesTheOpenRow) {
    PopoverHarness h;
    ASSERT_NE(expandedRow(h), nullptr);
    for (auto* segment : h.root->searchBar()->findChildren<QAbstractButton*>())
        if (segment->accessibleName() == QStringLiteral("Ports view")) QTest::mouseClick(segment, Qt::LeftButton);
    EXPECT_EQ(h.inputs.panelMode, PanelMode::ports);
    EXPECT_EQ(h.root->expandedAgentRowKey(), std::nullopt);

    h.update([](PopoverInputs& i) { i.panelMode = PanelMode::agents; });
    QTest::mouseClick(onlyRow(h)->rowButton(), Qt::LeftButton);
    QTest::mouseClick(onlyRow(h)->portsButton(), Qt::LeftButton);
    EXPECT_EQ(h.inputs.panelMode, PanelMode::ports);
    EXPECT_EQ(h.root->expandedAgentRowKey(), agentSession().rowKey());
}

}  // namespace
}  // namespace quaylight
