#pragma once
// A raw client of a Unix-domain socket, for driving the server the way a misbehaving
// local process would.

#include <string>

namespace quaylight::testsupport {

class SocketClient {
public:
    // Connects (blocking); isConnected() tells whether it worked.
    explicit SocketClient(const std::string& path);
    ~SocketClient();
    SocketClient(const SocketClient&) = delete;
    SocketClient& operator=(const SocketClient&) = delete;

    bool isConnected() const { return fd_ >= 0; }
    // Sends what the socket takes; false once the server has closed.
    bool sendAll(const std::string& bytes);
    void shutdownWriting();
    // Blocks (up to a generous bound) until the server closes the connection; true when it did.
    bool waitUntilClosedByServer();

private:
    int fd_ = -1;
};

// A socket file bound at `path` that nobody accepts on, as a crashed server leaves it;
// returns its descriptor (the caller closes it).
int bindWithoutListening(const std::string& path);

}  // namespace quaylight::testsupport
