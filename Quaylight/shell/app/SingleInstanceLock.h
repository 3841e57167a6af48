#pragma once
// One running application per user: an exclusive lock on a file in a folder of the user's
// own. The kernel drops the lock with the process, so it is never stale after a crash, and
// only the user (or root) can open the file to take it. A second launch only opens the
// existing file and tries the lock; it writes nothing.

#include <optional>
#include <string>
#include <utility>
#include <variant>

#include "ProcessCoreKit/support/OwnedDescriptor.h"

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

private:
    // Holding the locked file holds the lock; closing it lets the lock go.
    explicit SingleInstanceLock(OwnedDescriptor file) : file_(std::move(file)) {}
    OwnedDescriptor file_;
};

}  // namespace quaylight
