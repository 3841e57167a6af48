#include "QuaylightKit/platform/LiveFileSystem.h"

#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <vector>

#include "QuaylightKit/project/PathStandardization.h"

namespace quaylight {
namespace {

std::optional<std::string> passwordDatabaseHome() {
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found || !found->pw_dir)
        return std::nullopt;
    return std::string(found->pw_dir);
}

std::optional<std::string> realPath(const std::string& path) {
    std::unique_ptr<char, decltype(&::free)> resolved(::realpath(path.c_str(), nullptr), &::free);
    if (!resolved) return std::nullopt;
    return std::string(resolved.get());
}

}  // namespace

bool pathExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

HomeDirectory homeDirectory(const HomeDirectorySources& sources) {
    std::optional<std::string> home;
    if (sources.environmentHome && isAbsolutePath(*sources.environmentHome))
        home = sources.environmentHome;
    else if (sources.passwordDatabaseHome)
        home = sources.passwordDatabaseHome();
    if (!home || !isAbsolutePath(*home)) return HomeDirectory{};
    auto resolved = sources.realPath ? sources.realPath(*home) : std::nullopt;
    return resolved ? HomeDirectory(*home, *resolved) : HomeDirectory(*home);
}

HomeDirectory currentHomeDirectory() {
    const char* environment = ::getenv("HOME");
    return homeDirectory({environment ? std::optional<std::string>(environment) : std::nullopt, passwordDatabaseHome,
                          realPath});
}

}  // namespace quaylight
