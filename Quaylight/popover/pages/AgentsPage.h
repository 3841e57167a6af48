#pragma once
// The Agents tab in the listener page's body: the slot the body switches to and the agent
// list in it, given the popover's inputs and asking through its commands. The open agent
// row is the inputs' own (expandedAgentRowKey): the router changes it, this page shows it.

#include <functional>
#include <string>

#include "Quaylight/popover/agents/AgentListView.h"
#include "Quaylight/popover/model/PopoverInputs.h"

class QWidget;

namespace quaylight {

class AgentsPage {
public:
    struct Hooks {
        // Any gesture on the tab closes the Ports tab's open menus first.
        std::function<void()> closeMenus;
        // Opens or closes the row's detail band.
        std::function<void(const std::string& rowKey)> toggleRow;
    };

    // `inputs` and `commands` are the router's and outlive the page.
    AgentsPage(const PopoverInputs& inputs, const PopoverCommands& commands, Hooks hooks, QWidget* parent);

    QWidget* slot() const { return slot_; }
    AgentListView* list() const { return list_; }
    void refresh();

private:
    AgentListCallbacks callbacks();

    const PopoverInputs& inputs_;
    const PopoverCommands& commands_;
    Hooks hooks_;
    QWidget* slot_;
    AgentListView* list_;
};

}  // namespace quaylight
