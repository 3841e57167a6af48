#pragma once
// The system calls of an atomic file replacement, one closure per step, so that tests can
// make any one of them fail.

#include <sys/types.h>

#include <functional>

namespace quaylight {

struct AtomicWriteSteps {
    // Also opens the nameless file (O_TMPFILE, with a folder as the path).
    std::function<int(const char* path, int flags, mode_t mode)> open;
    std::function<ssize_t(int fd, const void* data, size_t size)> write;
    std::function<int(int fd, mode_t mode)> fchmod;
    std::function<int(int fd)> fsync;
    // Gives the nameless file behind `fd` the name `path`; EEXIST when something has it.
    std::function<int(int fd, const char* path)> linkOpenFile;
    // Swaps what is at the two paths in one step (EINVAL or ENOSYS where the file system
    // cannot).
    std::function<int(const char* from, const char* to)> exchange;
    // Replaces whatever is at `to`: where exchange is not possible.
    std::function<int(const char* from, const char* to)> rename;
    // Fails with EEXIST when something is at `to`; never replaces it.
    std::function<int(const char* from, const char* to)> renameNoReplace;

    static const AtomicWriteSteps& live();
};

}  // namespace quaylight
