#pragma once
// The system calls of an atomic file replacement, one closure per step, so that tests can
// make any one of them fail.

#include <sys/types.h>

#include <functional>

namespace quaylight {

struct AtomicWriteSteps {
    std::function<int(const char* path, int flags, mode_t mode)> open;
    std::function<ssize_t(int fd, const void* data, size_t size)> write;
    std::function<int(int fd, mode_t mode)> fchmod;
    std::function<int(int fd)> fsync;
    // Replaces whatever is at `to`.
    std::function<int(const char* from, const char* to)> rename;
    // Fails with EEXIST when something is at `to`; never replaces it.
    std::function<int(const char* from, const char* to)> renameNoReplace;

    static const AtomicWriteSteps& live();
};

}  // namespace quaylight
