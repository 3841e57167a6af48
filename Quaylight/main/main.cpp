// The executable is a thin dispatcher. The relay and the scan command run without Qt;
// only the application mode starts the GUI, in a process of its own.
#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ProcessCoreKit/support/Log.h"
#include "Quaylight/agent-hooks/relay/AgentHookRelay.h"
#include "Quaylight/main/ApplicationProcess.h"
#include "Quaylight/main/Dispatch.h"
#include "Quaylight/shell/QuaylightCLI.h"

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    switch (quaylight::chooseLaunchMode(arguments)) {
        case quaylight::LaunchMode::agentEventRelay:
            // An agent shows what a hook prints: the relay stays silent unless asked.
            if (std::getenv("QUAYLIGHT_DEBUG") != nullptr) quaylight::logging::setSink(quaylight::logging::standardErrorSink());
            return quaylight::AgentHookRelay::run({arguments.begin() + 1, arguments.end()});  // always 0
        case quaylight::LaunchMode::scanCommand:
            // A scan lives for milliseconds: its large blocks come from the heap, and what it
            // frees stays there for reuse, instead of each big block being mapped (and its
            // pages faulted in one by one) afresh and handed back.
            mallopt(M_MMAP_THRESHOLD, 16 << 20);
            mallopt(M_TRIM_THRESHOLD, 16 << 20);
            return quaylight::QuaylightCLI::run(arguments);
        case quaylight::LaunchMode::application:
            return quaylight::startApplicationProcess(argc, argv);
    }
    return 1;
}
