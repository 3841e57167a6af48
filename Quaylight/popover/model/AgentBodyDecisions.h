#pragma once
// What the Agents tab's row gestures change: the open detail band and the exact scope that
// "View related ports" narrows the ports list to.

#include <optional>
#include <string>

#include "Quaylight/agent-inventory/model/AgentSessionSnapshot.h"
#include "Quaylight/shell/viewmodel/ExactAgentPortScope.h"

namespace quaylight {

// The row key stays open unless it was the open one: a second toggle collapses it, another
// row's toggle moves the band there.
std::optional<std::string> toggledExpansion(const std::optional<std::string>& expanded, const std::string& rowKey);

// The agent process with the session's provider, only when the session's ports are known
// exactly and it has a process; otherwise nothing to narrow to.
std::optional<ExactAgentPortScope> relatedPortsScope(const AgentSessionSnapshot& session);

}  // namespace quaylight
