#include "Quaylight/agent-hooks/paths/InstalledExecutable.h"

#include <unistd.h>

#include "ProcessCoreKit/platform/Libproc.h"

#ifndef QUAYLIGHT_INSTALL_PREFIX
#define QUAYLIGHT_INSTALL_PREFIX "/usr/local"
#endif

namespace quaylight {
namespace {

std::string prefix() {
    std::string p = QUAYLIGHT_INSTALL_PREFIX;
    while (!p.empty() && p.back() == '/') p.pop_back();
    return p;
}

}  // namespace

std::string InstalledExecutable::folder() { return prefix() + "/bin"; }

std::string InstalledExecutable::path() { return folder() + "/quaylight"; }

std::optional<std::string> InstalledExecutable::runningPath() {
    auto self = Libproc::live().open(getpid());
    return self ? self->execPath() : std::nullopt;
}

}  // namespace quaylight
