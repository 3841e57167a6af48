#include "Quaylight/popover/pages/AgentsPage.h"

#include <QVBoxLayout>

#include "Quaylight/popover/model/AgentBodyDecisions.h"

namespace quaylight {

AgentsPage::AgentsPage(const PopoverInputs& inputs, const PopoverCommands& commands, Hooks hooks, QWidget* parent)
    : inputs_(inputs), commands_(commands), hooks_(std::move(hooks)), slot_(new QWidget(parent)) {
    slot_->setObjectName(QStringLiteral("agentsSlot"));
    auto* layout = new QVBoxLayout(slot_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    list_ = new AgentListView(callbacks(), commands_.now, nullptr, slot_);
    layout->addWidget(list_);
}

AgentListCallbacks AgentsPage::callbacks() {
    AgentListCallbacks c;
    c.onFilterChange = [this](AgentProviderFilter filter) {
        hooks_.closeMenus();
        if (commands_.setAgentFilter) commands_.setAgentFilter(filter);
    };
    c.onToggleExpanded = [this](const AgentSessionSnapshot& session) {
        hooks_.closeMenus();
        hooks_.toggleRow(session.rowKey());
    };
    c.onFocusApp = [this](const AgentSessionSnapshot& session) {
        hooks_.closeMenus();
        if (commands_.focusAgentHost) commands_.focusAgentHost(session);
        if (commands_.autoCloseAfterOpening && commands_.autoCloseAfterOpening() && commands_.dismissPanel)
            commands_.dismissPanel();
    };
    c.onStopAgent = [this](const AgentSessionSnapshot& session) {
        hooks_.closeMenus();
        if (commands_.requestStopAgent) commands_.requestStopAgent(session);
    };
    c.onViewRelatedPorts = [this](const AgentSessionSnapshot& session) {
        hooks_.closeMenus();
        if (auto scope = relatedPortsScope(session); scope && commands_.viewRelatedPorts)
            commands_.viewRelatedPorts(*scope);
    };
    c.onViewProviderPorts = [this](const AgentSessionSnapshot& session) {
        hooks_.closeMenus();
        if (commands_.viewProviderPorts) commands_.viewProviderPorts(session);
    };
    c.onConnectProvider = [this](AgentKind provider) {
        hooks_.closeMenus();
        if (commands_.connectProvider) commands_.connectProvider(provider);
    };
    c.onRetryReceiver = [this] {
        if (commands_.retryReceiver) commands_.retryReceiver();
    };
    c.quit = [this] {
        if (commands_.quit) commands_.quit();
    };
    return c;
}

void AgentsPage::refresh() {
    AgentListInputs agents;
    agents.model = AgentInventoryListModel::build(inputs_.agents, inputs_.agentFilter, inputs_.searchText);
    agents.freshness = inputs_.agents.freshness;
    agents.filter = inputs_.agentFilter;
    agents.expandedRowKey = inputs_.expandedAgentRowKey;
    // Read at build time from the same clock as the list's elapsed-label timer, so a refresh
    // for another reason never shows an age older than the timer already showed.
    agents.now = commands_.now ? commands_.now() : inputs_.now;
    agents.focusLabelByID = inputs_.agentFocusLabelByID;
    agents.stopAvailabilityByID = inputs_.agents.stopAvailabilityByID();
    agents.connections = inputs_.agentConnections;
    agents.receiverFailure = inputs_.receiverFailure;
    list_->apply(agents);
}

}  // namespace quaylight
