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
    // Read through a stack buffer and keep only what arrived: sizing the string for a whole
    // chunk before each read would zero (and fault in) 64 KiB for a few hundred bytes.
    char buffer[16 * 1024];
    std::string bytes;
    while (bytes.size() < limit) {
        const std::size_t chunk = std::min(limit - bytes.size(), sizeof buffer);
        ssize_t n = ::read(fd, buffer, chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::nullopt;
        if (n == 0) break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    return bytes;
}

}  // namespace quaylight
