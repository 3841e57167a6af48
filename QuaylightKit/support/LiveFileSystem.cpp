#include "QuaylightKit/support/LiveFileSystem.h"

#include <fcntl.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <memory>
#include <vector>

#include "ProcessCoreKit/support/OwnedDescriptor.h"
#include "QuaylightKit/support/FileDescriptorIO.h"
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

std::optional<std::string> readRegularFile(const std::string& path, std::size_t limit, struct stat* examined) {
    const OwnedDescriptor fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!fd) return std::nullopt;
    struct stat st {};
    std::optional<std::string> bytes;
    if (::fstat(fd.get(), &st) == 0 && S_ISREG(st.st_mode) && static_cast<std::uint64_t>(st.st_size) <= limit)
        bytes = readUpTo(fd.get(), limit + 1);  // one byte more tells a file that grew since
    if (!bytes || bytes->size() > limit) return std::nullopt;
    if (examined) *examined = st;
    return bytes;
}

bool createDirectories(const std::string& path, mode_t mode) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    const std::string parent = parentFolder(path);
    if (parent != path && !createDirectories(parent, mode)) return false;
    if (::mkdir(path.c_str(), mode) != 0) {
        if (errno != EEXIST) return false;
        return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }
    ::chmod(path.c_str(), mode);  // mkdir's mode is narrowed by the creation mask
    return true;
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
