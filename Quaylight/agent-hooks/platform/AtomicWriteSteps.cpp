#include "Quaylight/agent-hooks/platform/AtomicWriteSteps.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

namespace quaylight {
namespace {

int renameWithoutReplacing(const char* from, const char* to) {
    if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return -1;
    // File systems without RENAME_NOREPLACE: a hard link refuses an existing target just
    // as atomically.
    if (link(from, to) != 0) return -1;
    unlink(from);
    return 0;
}

int linkThroughProc(int fd, const char* path) {
    // Through the descriptor's /proc link: linking with AT_EMPTY_PATH needs a capability.
    std::string procLink = "/proc/self/fd/" + std::to_string(fd);
    return linkat(AT_FDCWD, procLink.c_str(), AT_FDCWD, path, AT_SYMLINK_FOLLOW);
}

}  // namespace

const AtomicWriteSteps& AtomicWriteSteps::live() {
    static const AtomicWriteSteps steps{
        .open = [](const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); },
        .write = [](int fd, const void* data, size_t size) { return ::write(fd, data, size); },
        .fchmod = [](int fd, mode_t mode) { return ::fchmod(fd, mode); },
        .fsync = [](int fd) { return ::fsync(fd); },
        .linkOpenFile = linkThroughProc,
        .exchange = [](const char* from, const char* to) {
            return renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_EXCHANGE);
        },
        .rename = [](const char* from, const char* to) { return std::rename(from, to); },
        .renameNoReplace = renameWithoutReplacing,
    };
    return steps;
}

}  // namespace quaylight
