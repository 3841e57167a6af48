#include "Quaylight/agent-hooks/relay/AgentHookRelay.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>

#include "ProcessCoreKit/support/Log.h"
#include "ProcessCoreKit/support/OwnedDescriptor.h"
#include "Quaylight/agent-hooks/paths/AgentHookPaths.h"
#include "Quaylight/agent-hooks/support/UnixSocketAddress.h"
#include "Quaylight/agent-hooks/protocol/AgentHookProtocol.h"
#include "QuaylightKit/support/FileDescriptorIO.h"
#include "QuaylightKit/support/LiveFileSystem.h"
#include "QuaylightKit/project/ProjectResolver.h"

namespace quaylight {
namespace {

// An optional "+" or "-", at least one digit, nothing else, within 64 bits.
std::optional<std::int64_t> wholeNumber(std::string_view text) {
    bool plus = text.starts_with('+');
    if (plus) text.remove_prefix(1);
    std::string_view digits = !plus && text.starts_with('-') ? text.substr(1) : text;
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos) return std::nullopt;
    std::int64_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

bool setBlocking(int fd, bool blocking) {
    int flags = fcntl(fd, F_GETFL);
    if (flags < 0) return false;
    flags = blocking ? (flags & ~O_NONBLOCK) : (flags | O_NONBLOCK);
    return fcntl(fd, F_SETFL, flags) == 0;
}

// Waits for the connection to complete; interrupted waits resume with the time left.
bool awaitConnected(int fd, double timeoutSeconds) {
    using Clock = std::chrono::steady_clock;
    auto deadline = Clock::now() + std::chrono::milliseconds(static_cast<long long>(timeoutSeconds * 1000));
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd entry{fd, POLLOUT, 0};
        int ready = poll(&entry, 1, static_cast<int>(std::max<long long>(left, 0)));
        if (ready < 0 && errno == EINTR) continue;
        if (ready != 1) return false;
        if ((entry.revents & (POLLOUT | POLLERR | POLLHUP)) != POLLOUT) return false;
        int error = 0;
        socklen_t length = sizeof error;
        return getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
    }
}

// The name of the project folder around the hook's working directory; the directory
// itself is never sent.
std::optional<std::string> projectNameFor(const std::string& workingDirectory, const HomeDirectory& home,
                                          const PathExistenceTest& pathExists) {
    auto project = ProjectResolver::resolve(workingDirectory, pathExists, home);
    if (!project) return std::nullopt;
    return project->name;
}

}  // namespace

timeval timevalFromSeconds(double seconds) {
    double whole = std::floor(seconds);
    timeval tv{};
    tv.tv_sec = static_cast<time_t>(whole);
    tv.tv_usec = static_cast<suseconds_t>(std::lround((seconds - whole) * 1'000'000));
    if (tv.tv_usec >= 1'000'000) {
        tv.tv_sec += 1;
        tv.tv_usec -= 1'000'000;
    }
    return tv;
}

AgentHookRelay::Environment AgentHookRelay::Environment::live() {
    return {
        .readInput = readBoundedStandardInput,
        .parentPID = [] { return static_cast<std::int32_t>(getppid()); },
        .homeDirectory = currentHomeDirectory,
        .userTemporaryDirectory = AgentHookPaths::userTemporaryDirectory,
        .pathExists = quaylight::pathExists,
        .send = [](std::string_view payload, const std::string& socketPath, double timeout) {
            return AgentHookRelay::send(payload, socketPath, timeout);
        },
    };
}

std::optional<AgentHookRelay::Invocation> AgentHookRelay::parse(const std::vector<std::string>& arguments) {
    if (arguments.empty()) return std::nullopt;
    std::optional<AgentKind> provider;
    std::optional<std::int64_t> protocol;
    Invocation invocation;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        if (option == "--test") {
            invocation.isConnectionTest = true;
            continue;
        }
        bool takesValue = option == "--provider" || option == "--protocol" || option == "--hint";
        if (!takesValue || i + 1 >= arguments.size()) return std::nullopt;
        const std::string& value = arguments[++i];
        if (option == "--provider") {
            provider = fromRawValue<AgentKind>(value);
            if (!provider) return std::nullopt;
        } else if (option == "--protocol") {
            protocol = wholeNumber(value);
            if (!protocol) return std::nullopt;
        } else {
            invocation.notificationHint = value;
        }
    }
    if (!provider || !protocol) return std::nullopt;
    invocation.provider = *provider;
    invocation.protocolVersion = *protocol;
    return invocation;
}

std::string AgentHookRelay::readBoundedStandardInput() {
    return readUpTo(STDIN_FILENO, maxInputBytes + 1).value_or("");  // unreadable input is no event
}

bool AgentHookRelay::send(std::string_view payload, const std::string& socketPath, double timeoutSeconds) {
    if (socketPath.size() > AgentHookPaths::maxSocketPathBytes) return false;
    OwnedDescriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (socket.get() < 0) return false;

    auto address = unixSocketAddress(socketPath);
    if (connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        // A non-blocking connect that a signal interrupted goes on in the background.
        if (errno != EINPROGRESS && errno != EINTR) return false;
        if (!awaitConnected(socket.get(), timeoutSeconds)) return false;
    }
    if (!setBlocking(socket.get(), true)) return false;
    timeval timeout = timevalFromSeconds(timeoutSeconds);
    setsockopt(socket.get(), SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);

    ssize_t sent;
    do {
        // MSG_NOSIGNAL: a peer that went away must not end the relay with SIGPIPE.
        sent = ::send(socket.get(), payload.data(), payload.size(), MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    if (sent < 0 || static_cast<std::size_t>(sent) != payload.size()) return false;
    shutdown(socket.get(), SHUT_WR);
    return true;
}

namespace {

// One relay run; any failure just ends it, since the agent must never see one.
void relay(const std::vector<std::string>& arguments, const AgentHookRelay::Environment& environment) {
    using Relay = AgentHookRelay;
    auto invocation = Relay::parse(arguments);
    if (!invocation || invocation->protocolVersion != AgentHookProtocol::protocolVersion) return;

    AgentHookProtocol::Envelope envelope;
    envelope.provider = invocation->provider;
    HomeDirectory home;
    if (invocation->isConnectionTest) {
        envelope.event = AgentHookProtocol::EventKind::connectionTest;
        envelope.sessionID = Relay::testSessionID;
        envelope.parentPID = environment.parentPID();
        home = environment.homeDirectory();
    } else {
        std::string input = environment.readInput();
        envelope.parentPID = environment.parentPID();
        home = environment.homeDirectory();
        if (input.size() > Relay::maxInputBytes) return;
        auto fields = AgentHookProtocol::decodeProviderFields(input);
        if (!fields || !fields->session_id || fields->session_id->empty() ||
            fields->session_id->size() > AgentHookProtocol::maxSessionIDBytes)
            return;
        // The hint is what the entry was registered for; it wins over the input's own type.
        const auto& notification = invocation->notificationHint ? invocation->notificationHint : fields->notification_type;
        auto event = AgentHookProtocol::mapEvent(fields->hook_event_name, notification);
        if (!event) return;
        envelope.event = *event;
        envelope.sessionID = std::move(*fields->session_id);
        if (fields->cwd) envelope.projectName = projectNameFor(*fields->cwd, home, environment.pathExists);
    }

    auto bytes = AgentHookProtocol::encode(envelope);
    if (!bytes) return;
    auto paths = AgentHookPaths::standard(home.path, environment.userTemporaryDirectory());
    environment.send(*bytes, paths.socketPath, Relay::sendTimeoutSeconds);
}

}  // namespace

int AgentHookRelay::run(const std::vector<std::string>& arguments) {
    try {
        return run(arguments, Environment::live());
    } catch (...) {
        logging::write(LogSeverity::warning, "hook-relay",
                       "could not set up the relay: " + logging::currentExceptionText());
        return 0;
    }
}

int AgentHookRelay::run(const std::vector<std::string>& arguments, const Environment& environment) {
    // An exception leaving main would abort the process and the agent would report the hook
    // as failed: whatever goes wrong (memory, a read that throws) ends the run quietly.
    try {
        relay(arguments, environment);
    } catch (...) {
        logging::write(LogSeverity::warning, "hook-relay", "the event was dropped: " + logging::currentExceptionText());
    }
    return 0;
}

}  // namespace quaylight
