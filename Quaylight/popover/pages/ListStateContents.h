#pragma once
// What the state views that take the list's place say and offer: the ports list's states
// (nothing listens, nothing matches, the exact scope is empty, the agent filter finds no
// listener) and the failed scan. Their buttons ask through the popover's commands, which
// outlive the views.

#include "Quaylight/popover/frame/ListStateView.h"
#include "Quaylight/popover/model/PopoverInputs.h"
#include "Quaylight/popover/model/PopoverTexts.h"

namespace quaylight {

// `body` is any state but `rows`.
ListStateContent portsStateContent(ListBody body, const AgentProcessPresenceSnapshot& agents, FilterCategory filter,
                                   const PopoverCommands& commands);
ListStateContent scanErrorContent(const QString& message, const PopoverCommands& commands);

// The key under which a state view is kept while what it says stays the same.
QString stateKey(const ListStateContent& content);

}  // namespace quaylight
