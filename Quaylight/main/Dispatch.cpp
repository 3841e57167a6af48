#include "Quaylight/main/Dispatch.h"

#include <algorithm>

namespace quaylight {

LaunchMode chooseLaunchMode(const std::vector<std::string>& arguments) {
    if (!arguments.empty() && arguments.front() == "agent-event") return LaunchMode::agentEventRelay;
    auto has = [&](const char* word) { return std::find(arguments.begin(), arguments.end(), word) != arguments.end(); };
    if (has("scan") || has("--scan")) return LaunchMode::scanCommand;
    return LaunchMode::application;
}

}  // namespace quaylight
