#pragma once

#include <sys/socket.h>
#include <sys/un.h>

#include <string>

namespace quaylight {

// All bytes zero, family Unix, the path and its terminating zero byte. The caller has
// checked that the path fits (at most 103 bytes).
sockaddr_un unixSocketAddress(const std::string& path);

}  // namespace quaylight
