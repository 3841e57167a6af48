#include "Quaylight/shell/app/SingleInstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace quaylight {

namespace {

std::string systemError(const std::string& what, const std::string& path) {
    return what + " " + path + ": " + std::strerror(errno);
}

// Makes each missing folder of `path`'s parent with mode 0700; existing ones stay as they are.
bool makeParentFolders(const std::string& path) {
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        const std::string folder = path.substr(0, slash);
        if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    return true;
}

}  // namespace

std::string SingleInstanceLock::defaultPath(const std::string& homeDirectory) {
    return homeDirectory + "/.local/share/Quaylight/instance.lock";
}

SingleInstanceLock::Result SingleInstanceLock::acquire(const std::string& path) {
    // A second launch finds the file and must not change anything: open it as it is first.
    OwnedDescriptor file(open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW));
    if (!file && errno == ENOENT) {
        if (!makeParentFolders(path)) return Failed{systemError("couldn't make the folder for", path)};
        file.reset(open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    }
    if (!file) return Failed{systemError("couldn't open the instance lock", path)};
    struct stat status {};
    if (fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_uid != geteuid())
        return Failed{"the instance lock " + path + " is not a file of this user"};
    if (flock(file.get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK) return AlreadyRunning{};
        return Failed{systemError("couldn't lock", path)};
    }
    return SingleInstanceLock(std::move(file));
}

}  // namespace quaylight
