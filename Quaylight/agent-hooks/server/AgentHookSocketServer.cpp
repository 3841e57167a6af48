#include "Quaylight/agent-hooks/server/AgentHookSocketServer.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>

#include "ProcessCoreKit/support/OwnedDescriptor.h"
#include "Quaylight/agent-hooks/support/UnixSocketAddress.h"
#include "QuaylightKit/support/LiveFileSystem.h"

namespace quaylight {
namespace {

// A socket somebody still accepts on belongs to a live server, not to a crashed one.
bool someoneListensAt(const std::string& path) {
    const OwnedDescriptor fd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!fd) return false;
    auto address = unixSocketAddress(path);
    return connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 || errno == EAGAIN ||
           errno == EINPROGRESS;
}

}  // namespace

bool AgentHookSocketServer::Dependencies::sameEffectiveUser(int fd) {
    ucred peer{};
    socklen_t length = sizeof peer;
    return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 && length == sizeof peer &&
           peer.uid == geteuid();
}

AgentHookSocketServer::AgentHookSocketServer(AgentHookPaths paths, Dependencies dependencies,
                                             EnvelopeHandler onEnvelope)
    : paths_(std::move(paths)),
      dependencies_(std::move(dependencies)),
      onEnvelope_(std::move(onEnvelope)),
      queue_(queueLabel) {}

AgentHookSocketServer::~AgentHookSocketServer() {
    queue_.sync([this] {
        closeEverything();
        listenFD_.reset();
    });
}

std::optional<AgentHookSocketServer::StartError> AgentHookSocketServer::start() {
    std::optional<StartError> result;
    queue_.sync([&] { result = startOnQueue(); });
    return result;
}

void AgentHookSocketServer::stop() {
    queue_.sync([this] {
        closeEverything();
        if (!listenFD_) return;
        listenFD_.reset();
        unlinkIfStillOurs();
    });
}

std::optional<AgentHookSocketServer::StartError> AgentHookSocketServer::startOnQueue() {
    if (listenFD_) return std::nullopt;
    if (auto error = prepareRuntimeDirectory()) return error;
    if (auto error = removeStaleSocketIfSafe()) return error;
    const std::string& path = paths_.socketPath;
    if (path.size() > AgentHookPaths::maxSocketPathBytes) return StartError::socketPathTooLong;

    OwnedDescriptor fd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd) return StartError::socketUnavailable;
    auto address = unixSocketAddress(path);
    // A failed bind leaves the path alone: whatever is there is not ours.
    if (bind(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return StartError::socketUnavailable;
    struct stat bound{};
    if (lstat(path.c_str(), &bound) != 0) return StartError::socketUnavailable;
    boundDevice_ = bound.st_dev;
    boundInode_ = bound.st_ino;
    // From here on a failure closes the socket before its path goes.
    if (chmod(path.c_str(), 0600) != 0 || listen(fd.get(), listenBacklog) != 0 ||
        fcntl(fd.get(), F_SETFL, fcntl(fd.get(), F_GETFL) | O_NONBLOCK) != 0) {
        fd.reset();
        unlinkIfStillOurs();
        return StartError::socketUnavailable;
    }
    acceptWatch_ = queue_.watchReadable(fd.get(), [this] { acceptPending(); });
    if (!acceptWatch_) {
        fd.reset();
        unlinkIfStillOurs();
        return StartError::socketUnavailable;
    }
    listenFD_ = std::move(fd);
    return std::nullopt;
}

std::optional<AgentHookSocketServer::StartError> AgentHookSocketServer::prepareRuntimeDirectory() const {
    const std::string& folder = paths_.runtimeDirectory;
    struct stat st{};
    if (lstat(folder.c_str(), &st) != 0) {
        if (!createDirectories(folder, 0700)) return StartError::runtimeDirectoryUnavailable;
        if (lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != geteuid())
            return StartError::runtimeDirectoryUnavailable;
        chmod(folder.c_str(), 0700);
        return std::nullopt;
    }
    if (S_ISLNK(st.st_mode)) return StartError::runtimeDirectoryIsSymlink;
    if (!S_ISDIR(st.st_mode)) return StartError::runtimeDirectoryUnavailable;
    if (st.st_uid != geteuid()) return StartError::runtimeDirectoryNotOwnedByUser;
    if ((st.st_mode & 07777) == 0700) return std::nullopt;
    if (chmod(folder.c_str(), 0700) != 0) return StartError::runtimeDirectoryUnavailable;
    return std::nullopt;
}

std::optional<AgentHookSocketServer::StartError> AgentHookSocketServer::removeStaleSocketIfSafe() const {
    const std::string& path = paths_.socketPath;
    struct stat st{};
    if (lstat(path.c_str(), &st) != 0) return std::nullopt;
    if (!S_ISSOCK(st.st_mode) || st.st_uid != geteuid()) return StartError::stalePathIsNotAnOwnedSocket;
    // A second instance must never take the socket of one that is still running.
    if (someoneListensAt(path)) return StartError::stalePathIsNotAnOwnedSocket;
    if (unlink(path.c_str()) != 0 && errno != ENOENT) return StartError::socketUnavailable;
    return std::nullopt;
}

void AgentHookSocketServer::acceptPending() {
    for (;;) {
        OwnedDescriptor accepted(accept4(listenFD_.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
        if (!accepted) {
            if (errno == EINTR || errno == ECONNABORTED) continue;
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) pauseAccepting();
            return;
        }
        const int fd = accepted.get();
        if (connections_.size() >= maxConnections || !dependencies_.validatePeer(fd)) continue;  // closes it
        std::uint64_t serial = nextSerial_++;
        auto watch = queue_.watchReadable(fd, [this, fd] { readPending(fd); });
        connections_.emplace(fd, Connection{serial, watch, {}, std::move(accepted)});
        // Armed for this connection, not for the descriptor number, which a later
        // connection may reuse.
        queue_.after(dependencies_.connectionDeadline(), [this, fd, serial] {
            auto it = connections_.find(fd);
            if (it != connections_.end() && it->second.serial == serial) finishConnection(fd, false);
        });
    }
}

// Out of descriptors or memory, the pending connection stays queued and the listening
// socket stays readable: watching it would spin the queue at full speed. Look again a
// little later instead, when connections in hand may have been closed.
void AgentHookSocketServer::pauseAccepting() {
    if (!acceptWatch_) return;
    queue_.unwatch(acceptWatch_);
    acceptWatch_ = 0;
    int listening = listenFD_.get();
    queue_.after(acceptRetryDelay, [this, listening] {
        if (listenFD_.get() != listening || !listenFD_ || acceptWatch_) return;  // stopped or restarted meanwhile
        acceptWatch_ = queue_.watchReadable(listenFD_.get(), [this] { acceptPending(); });
        acceptPending();
    });
}

void AgentHookSocketServer::readPending(int fd) {
    auto it = connections_.find(fd);
    if (it == connections_.end()) return;
    char chunk[readChunkBytes];
    for (;;) {
        ssize_t n = read(fd, chunk, sizeof chunk);
        if (n > 0) {
            it->second.buffer.append(chunk, static_cast<std::size_t>(n));
            if (it->second.buffer.size() > AgentHookProtocol::maxEnvelopeBytes) return finishConnection(fd, false);
            continue;
        }
        if (n == 0) return finishConnection(fd, true);
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) return;
        return finishConnection(fd, false);
    }
}

void AgentHookSocketServer::finishConnection(int fd, bool deliver) {
    auto it = connections_.find(fd);
    if (it == connections_.end()) return;
    Connection connection = std::move(it->second);
    connections_.erase(it);
    queue_.unwatch(connection.watch);
    connection.descriptor.reset();  // closed before the envelope is handed on
    if (!deliver) return;
    if (auto envelope = AgentHookProtocol::decodeEnvelope(connection.buffer))
        if (onEnvelope_) onEnvelope_(*envelope, dependencies_.now());
}

void AgentHookSocketServer::closeEverything() {
    if (acceptWatch_) queue_.unwatch(acceptWatch_);
    acceptWatch_ = 0;
    for (auto& [fd, connection] : connections_) queue_.unwatch(connection.watch);
    connections_.clear();  // closes each connection
}

void AgentHookSocketServer::unlinkIfStillOurs() const {
    struct stat st{};
    const std::string& path = paths_.socketPath;
    if (lstat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode) && st.st_dev == boundDevice_ &&
        st.st_ino == boundInode_)
        unlink(path.c_str());
}

}  // namespace quaylight
