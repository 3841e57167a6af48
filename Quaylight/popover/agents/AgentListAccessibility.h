#pragma once
// How a screen reader reads the Agents tab's sections: a section lists every one of its
// rows in order, as the widget of a row near the view or, for a row without a widget, as a
// stand-in that reads the row's name, hint and states (not showing while off-screen). A
// stand-in is registered with Qt's accessibility cache and deleted when its row leaves or
// gets a widget.

#include <QAccessible>
#include <optional>
#include <string>

namespace quaylight {

class AgentHostSectionView;

// Installs the interfaces of sections and rows; once per process, from the section.
void ensureAgentListAccessibility();

// A new, unregistered stand-in for the section's row `rowKey`.
QAccessibleInterface* makeAgentRowStandIn(AgentHostSectionView* section, std::string rowKey);
// The row key a stand-in reads, or none when `node` is no stand-in.
std::optional<std::string> agentRowStandInKey(const QAccessibleInterface* node);

}  // namespace quaylight
