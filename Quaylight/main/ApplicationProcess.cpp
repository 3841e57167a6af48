#include "Quaylight/main/ApplicationProcess.h"

#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "ProcessCoreKit/platform/Libproc.h"
#include "Quaylight/InstallPaths.h"
#include "Quaylight/agent-hooks/paths/InstalledExecutable.h"

namespace quaylight {

int startApplicationProcess(int argc, char** argv) {
    auto self = Libproc::live().open(getpid());
    const std::optional<std::string> command = self ? self->execPath() : std::nullopt;
    if (!command) {
        std::fputs("error: Quaylight cannot find its own executable, so it cannot start the application.\n", stderr);
        return 1;
    }
    // The application learns which command it was started as; it checks that against the
    // installed path before it offers agent hooks.
    ::setenv(InstalledExecutable::commandVariable, command->c_str(), 1);
    int lastError = 0;
    std::string tried;
    for (const auto& candidate : InstalledExecutable::launcherCandidates(*command)) {
        if (::access(candidate.c_str(), F_OK) != 0) continue;
        std::vector<char*> arguments{const_cast<char*>(candidate.c_str())};
        for (int i = 1; i < argc; ++i) arguments.push_back(argv[i]);
        arguments.push_back(nullptr);
        ::execv(candidate.c_str(), arguments.data());
        lastError = errno;
        tried = candidate;
    }
    if (tried.empty()) {
        std::fprintf(stderr, "error: Quaylight could not find %s beside its executable or in %s.\n",
                     InstalledExecutable::launcherName, installPaths::libraryFromBinaryFolder);
    } else {
        std::fprintf(stderr, "error: Quaylight could not start its application %s (%s).\n", tried.c_str(),
                     std::strerror(lastError));
    }
    return 1;
}

}  // namespace quaylight
