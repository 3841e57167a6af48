#include "Quaylight/agent-hooks/paths/InstalledExecutable.h"

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>

#include "ProcessCoreKit/platform/Libproc.h"
#include "Quaylight/InstallPaths.h"
#include "QuaylightKit/project/PathStandardization.h"

namespace quaylight {

std::string InstalledExecutable::folder() { return installPaths::binaryFolder; }

std::string InstalledExecutable::path() { return folder() + "/quaylight"; }

std::vector<std::string> InstalledExecutable::launcherCandidates(const std::string& commandPath) {
    const std::string folder = parentFolder(commandPath);
    return {folder + "/" + launcherName,
            standardizedPath(folder + "/" + installPaths::libraryFromBinaryFolder + "/" + launcherName)};
}

std::optional<std::string> InstalledExecutable::runningCommand(const std::optional<std::string>& ownExecutable,
                                                               const char* commandVariableValue) {
    // Only a command whose own launcher this is counts: the variable cannot name an
    // arbitrary path.
    if (ownExecutable && commandVariableValue && *commandVariableValue == '/') {
        const auto candidates = launcherCandidates(commandVariableValue);
        if (std::find(candidates.begin(), candidates.end(), *ownExecutable) != candidates.end())
            return std::string(commandVariableValue);
    }
    return ownExecutable;
}

std::optional<std::string> InstalledExecutable::runningPath() {
    auto self = Libproc::live().open(getpid());
    return runningCommand(self ? self->execPath() : std::nullopt, ::getenv(commandVariable));
}

}  // namespace quaylight
