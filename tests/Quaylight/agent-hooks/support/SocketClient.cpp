#include "tests/Quaylight/agent-hooks/support/SocketClient.h"

#include "Quaylight/agent-hooks/support/UnixSocketAddress.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace quaylight::testsupport {

SocketClient::SocketClient(const std::string& path) {
    fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    auto address = unixSocketAddress(path);
    if (connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        close(fd_);
        fd_ = -1;
    }
    timeval bound{10, 0};
    if (fd_ >= 0) setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &bound, sizeof bound);
}

SocketClient::~SocketClient() {
    if (fd_ >= 0) close(fd_);
}

bool SocketClient::sendAll(const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        ssize_t n = send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

void SocketClient::shutdownWriting() { shutdown(fd_, SHUT_WR); }

bool SocketClient::waitUntilClosedByServer() {
    char byte;
    for (;;) {
        ssize_t n = recv(fd_, &byte, 1, 0);
        if (n == 0) return true;
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno == ECONNRESET;
    }
}

int bindWithoutListening(const std::string& path) {
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    auto address = unixSocketAddress(path);
    if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

}  // namespace quaylight::testsupport
