#pragma once
// Chooses what the one executable does from its arguments.

#include <string>
#include <vector>

namespace quaylight {

enum class LaunchMode { agentEventRelay, scanCommand, application };

// `arguments` excludes the program path. "agent-event" selects the relay only as the first
// argument; "scan" or "--scan" anywhere selects the scan command; anything else starts
// the application.
LaunchMode chooseLaunchMode(const std::vector<std::string>& arguments);

}  // namespace quaylight
