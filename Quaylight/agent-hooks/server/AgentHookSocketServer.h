#pragma once
// Listens on the per-user hook socket inside the running application and turns each
// connection into at most one envelope. It accepts only what it can vouch for: a private
// runtime folder, a 0600 socket, peers of the same user, and connections bounded in size,
// time and number.

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "ProcessCoreKit/support/OwnedDescriptor.h"
#include "ProcessCoreKit/support/Time.h"
#include "Quaylight/agent-hooks/paths/AgentHookPaths.h"
#include "Quaylight/agent-hooks/protocol/AgentHookProtocol.h"
#include "Quaylight/agent-hooks/server/SerialQueue.h"

namespace quaylight {

class AgentHookSocketServer {
public:
    enum class StartError {
        socketPathTooLong,
        runtimeDirectoryIsSymlink,
        runtimeDirectoryNotOwnedByUser,
        runtimeDirectoryUnavailable,
        stalePathIsNotAnOwnedSocket,  // also: another live server listens there
        socketUnavailable,
    };

    // Called on the server's queue, never on the caller's thread.
    struct Dependencies {
        std::function<WallTime()> now = wallNow;
        std::function<bool(int fd)> validatePeer = sameEffectiveUser;
        // How long the next accepted connection may take to deliver.
        std::function<std::chrono::milliseconds()> connectionDeadline = [] { return std::chrono::milliseconds(2000); };

        // The peer's credentials are readable and its user is this process's effective user.
        static bool sameEffectiveUser(int fd);
    };

    using EnvelopeHandler = std::function<void(const AgentHookProtocol::Envelope&, WallTime receivedAt)>;

    static constexpr const char* queueLabel = "com.quaylight.app.agent-hook-socket";
    static constexpr int listenBacklog = 8;
    static constexpr std::size_t maxConnections = 16;
    static constexpr std::size_t readChunkBytes = 1024;
    // How long accepting pauses when the process has no descriptor (or memory) to spare.
    static constexpr std::chrono::milliseconds acceptRetryDelay{100};

    // Creates its queue; opens no socket yet.
    AgentHookSocketServer(AgentHookPaths paths, Dependencies dependencies, EnvelopeHandler onEnvelope);
    // Closes the listening socket if open; leaves the socket file in place. Never destroy a
    // server from its own queue (inside onEnvelope).
    ~AgentHookSocketServer();
    AgentHookSocketServer(const AgentHookSocketServer&) = delete;
    AgentHookSocketServer& operator=(const AgentHookSocketServer&) = delete;

    // Prepares the runtime folder and listens; waits until it listens or fails. Starting a
    // running server does nothing. No value means listening.
    std::optional<StartError> start();
    // Closes every descriptor and removes the socket file, if it is still the one this
    // server bound; waits until done. Stopping a stopped server does nothing.
    void stop();

    const AgentHookPaths& paths() const { return paths_; }
    SerialQueue& queue() { return queue_; }

private:
    struct Connection {
        std::uint64_t serial;
        SerialQueue::WatchID watch;
        std::string buffer;
        OwnedDescriptor descriptor;
    };

    std::optional<StartError> startOnQueue();
    std::optional<StartError> prepareRuntimeDirectory() const;
    std::optional<StartError> removeStaleSocketIfSafe() const;
    void acceptPending();
    void pauseAccepting();
    void readPending(int fd);
    void finishConnection(int fd, bool deliver);
    void closeEverything();
    void unlinkIfStillOurs() const;

    AgentHookPaths paths_;
    Dependencies dependencies_;
    EnvelopeHandler onEnvelope_;

    // Touched on the queue only. Connections are keyed by their descriptor's number.
    OwnedDescriptor listenFD_;
    SerialQueue::WatchID acceptWatch_ = 0;
    std::map<int, Connection> connections_;
    std::uint64_t nextSerial_ = 1;
    dev_t boundDevice_ = 0;
    ino_t boundInode_ = 0;

    // Last, so its thread ends before anything it touches goes away.
    SerialQueue queue_;
};

}  // namespace quaylight
