#pragma once
// One running application per user: an exclusive lock on a file in a folder of the user's
// own. The kernel drops the lock with the process, so it is never stale after a crash, and
// only the user (or root) can open the file to take it. A second launch only opens the
// existing file and tries the lock; it writes nothing.

#include <optional>
#include <string>
#include <variant>

namespace quaylight {

class SingleInstanceLock {
public:
    struct AlreadyRunning {};
    struct Failed {
        std::string reason;
    };
    using Result = std::variant<SingleInstanceLock, AlreadyRunning, Failed>;

    // "<home>/.local/share/Quaylight/instance.lock"; the folders are made 0700 when missing.
    static std::string defaultPath(const std::string& homeDirectory);
    static Result acquire(const std::string& path);

    SingleInstanceLock(SingleInstanceLock&& other) noexcept;
    SingleInstanceLock& operator=(SingleInstanceLock&& other) noexcept;
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;
    ~SingleInstanceLock();

private:
    explicit SingleInstanceLock(int fd) : fd_(fd) {}
    int fd_ = -1;
};

}  // namespace quaylight
