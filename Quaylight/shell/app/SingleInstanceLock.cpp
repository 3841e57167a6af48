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
    int fd = open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0 && errno == ENOENT) {
        if (!makeParentFolders(path)) return Failed{systemError("couldn't make the folder for", path)};
        fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    }
    if (fd < 0) return Failed{systemError("couldn't open the instance lock", path)};
    struct stat status {};
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_uid != geteuid()) {
        close(fd);
        return Failed{"the instance lock " + path + " is not a file of this user"};
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        close(fd);
        if (error == EWOULDBLOCK) return AlreadyRunning{};
        errno = error;
        return Failed{systemError("couldn't lock", path)};
    }
    return SingleInstanceLock(fd);
}

SingleInstanceLock::SingleInstanceLock(SingleInstanceLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

SingleInstanceLock& SingleInstanceLock::operator=(SingleInstanceLock&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

SingleInstanceLock::~SingleInstanceLock() {
    if (fd_ >= 0) close(fd_);
}

}  // namespace quaylight
