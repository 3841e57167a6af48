// The executable is a thin dispatcher. The relay and the scan command run without Qt;
// only the application mode loads the GUI library.
#include <cstdio>
#include <string>
#include <vector>

#include "Quaylight/main/Dispatch.h"
#include "Quaylight/shell/QuaylightCLI.h"

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    switch (quaylight::chooseLaunchMode(arguments)) {
        case quaylight::LaunchMode::agentEventRelay:
            return 0;  // the relay never fails its caller
        case quaylight::LaunchMode::scanCommand:
            return quaylight::QuaylightCLI::run(arguments);
        case quaylight::LaunchMode::application:
            std::fputs("error: the application is not built yet\n", stderr);
            return 1;
    }
    return 1;
}
