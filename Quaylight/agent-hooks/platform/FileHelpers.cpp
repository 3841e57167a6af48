#include "Quaylight/agent-hooks/platform/FileHelpers.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace quaylight {

std::string readUpTo(int fd, std::size_t limit) {
    std::string bytes;
    while (bytes.size() < limit) {
        std::size_t chunk = std::min<std::size_t>(limit - bytes.size(), 64 * 1024);
        std::size_t old = bytes.size();
        bytes.resize(old + chunk);
        ssize_t n = ::read(fd, bytes.data() + old, chunk);
        if (n < 0 && errno == EINTR) {
            bytes.resize(old);
            continue;
        }
        bytes.resize(old + (n > 0 ? static_cast<std::size_t>(n) : 0));
        if (n <= 0) break;
    }
    return bytes;
}

bool createDirectories(const std::string& path, mode_t mode) {
    struct stat st{};
    if (stat(path.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    std::string parent = parentFolder(path);
    if (parent != path && !createDirectories(parent, mode)) return false;
    if (mkdir(path.c_str(), mode) != 0) {
        if (errno != EEXIST) return false;
        return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }
    chmod(path.c_str(), mode);  // mkdir's mode is narrowed by the creation mask
    return true;
}

std::string parentFolder(const std::string& path) {
    auto end = path.find_last_not_of('/');
    if (end == std::string::npos) return "/";
    auto slash = path.find_last_of('/', end);
    if (slash == std::string::npos) return ".";
    auto parentEnd = path.find_last_not_of('/', slash);
    return parentEnd == std::string::npos ? "/" : path.substr(0, parentEnd + 1);
}

}  // namespace quaylight
