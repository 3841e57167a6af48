#include "Quaylight/agent-hooks/paths/InstalledExecutable.h"

#include <unistd.h>

#include "ProcessCoreKit/platform/Libproc.h"
#include "Quaylight/InstallPaths.h"

namespace quaylight {

std::string InstalledExecutable::folder() { return installPaths::binaryFolder; }

std::string InstalledExecutable::path() { return folder() + "/quaylight"; }

std::optional<std::string> InstalledExecutable::runningPath() {
    auto self = Libproc::live().open(getpid());
    return self ? self->execPath() : std::nullopt;
}

}  // namespace quaylight
