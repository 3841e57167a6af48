#pragma once
// What assistive technologies reach of the listener list: a list named "Listeners" whose items
// are every row in order. A row with a widget is that widget's own node (its labels below it);
// a row far from the view is a light item with the same name, description and states, kept
// until its row goes, whose press selects the row and brings it into view. Below it stand
// light parts that say what the row widget's labels, badges and button would say.

#include <optional>
#include <string>

class QAccessibleInterface;

namespace quaylight {

class ListenerListView;

// Installs the list's and the rows' accessible nodes; once, from either.
void installListenerListAccessibility();

// A light item for a row without a widget; the caller registers it, and lets it go with
// deleteAccessibleListenerItem (which lets its parts go too).
QAccessibleInterface* newAccessibleListenerItem(ListenerListView* list, const std::string& id);
void deleteAccessibleListenerItem(QAccessibleInterface* item);
// The row a light item of `list` stands for; none for any other node.
std::optional<std::string> accessibleListenerItemID(const QAccessibleInterface* item, const ListenerListView* list);

}  // namespace quaylight
