#include "QuaylightKit/support/FileDescriptorIO.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace quaylight {

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

std::optional<std::string> readUpTo(int fd, std::size_t limit) {
    std::string bytes;
    while (bytes.size() < limit) {
        const std::size_t chunk = std::min<std::size_t>(limit - bytes.size(), 64 * 1024);
        const std::size_t old = bytes.size();
        bytes.resize(old + chunk);
        ssize_t n = ::read(fd, bytes.data() + old, chunk);
        bytes.resize(old + (n > 0 ? static_cast<std::size_t>(n) : 0));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::nullopt;
        if (n == 0) break;
    }
    return bytes;
}

}  // namespace quaylight
