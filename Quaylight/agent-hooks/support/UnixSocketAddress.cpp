#include "Quaylight/agent-hooks/support/UnixSocketAddress.h"

#include <algorithm>
#include <cstring>

namespace quaylight {

sockaddr_un unixSocketAddress(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.data(), std::min(path.size(), sizeof address.sun_path - 1));
    return address;
}

}  // namespace quaylight
