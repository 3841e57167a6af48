#include "QuaylightKit/terminator/StopOutcomes.h"

#include <vector>

#include <fmt/format.h>

namespace quaylight {
namespace {

std::string plural(std::int64_t n, std::string_view noun) { return fmt::format("{} {}{}", n, noun, n == 1 ? "" : "s"); }

}  // namespace

std::string_view protectionMessage(ProtectionReason reason) {
    switch (reason) {
        case ProtectionReason::quaylightSelf: return "Quaylight won\u2019t signal itself or a process it launched.";
        case ProtectionReason::hostApp:
            return "That\u2019s a host app (editor or terminal) \u2014 Quaylight won\u2019t stop it.";
        case ProtectionReason::loginShell: return "That\u2019s a login shell \u2014 Quaylight won\u2019t stop it.";
        case ProtectionReason::appleSystemProcess:
            return "That\u2019s a system process \u2014 Quaylight won\u2019t stop it.";
        case ProtectionReason::unconfirmedOwner:
            return "Quaylight can\u2019t confirm you own that process \u2014 it won\u2019t signal it.";
    }
    return {};
}

std::string KillOutcome::message() const {
    switch (kind) {
        case Kind::blocked: return std::string(protectionMessage(reason.value_or(ProtectionReason::unconfirmedOwner)));
        case Kind::signalFailed: return fmt::format("Couldn\u2019t send {}: {}.", signalName, detail);
        case Kind::signaled: return "Sent SIGTERM.";
        case Kind::signaledForce: return "Sent SIGKILL.";
        case Kind::alreadyExited: return "That process had already exited.";
        case Kind::identityChanged: return "That PID now belongs to a different process \u2014 nothing was signaled.";
    }
    return {};
}

bool KillOutcome::isSuccess() const {
    return kind == Kind::signaled || kind == Kind::signaledForce || kind == Kind::alreadyExited;
}

std::string StopPoolOutcome::message() const {
    switch (kind) {
        case Kind::signaledMembers: return fmt::format("Sent SIGTERM to {}.", plural(count, "pool worker"));
        case Kind::blocked: return std::string(protectionMessage(reason.value_or(ProtectionReason::unconfirmedOwner)));
        case Kind::signalFailed: return fmt::format("Couldn\u2019t stop the pool: {}.", detail);
        case Kind::signaledSupervisor: return "Sent SIGTERM to the pool supervisor.";
        case Kind::alreadyExited: return "That pool had already stopped.";
        case Kind::identityChanged:
            return "The pool supervisor\u2019s PID now belongs to a different process \u2014 nothing was signaled.";
        case Kind::noActionableTarget: return "Quaylight couldn\u2019t safely stop this pool.";
    }
    return {};
}

bool StopPoolOutcome::isSuccess() const {
    return kind == Kind::signaledMembers || kind == Kind::signaledSupervisor || kind == Kind::alreadyExited;
}

std::string StopAgentOutcome::message() const {
    switch (kind) {
        case Kind::blocked: return std::string(protectionMessage(reason.value_or(ProtectionReason::unconfirmedOwner)));
        case Kind::signalFailed: return fmt::format("Couldn\u2019t stop the agent: {}.", detail);
        case Kind::signaled: return "Sent SIGTERM to the verified agent process.";
        case Kind::alreadyExited: return "That agent had already stopped.";
        case Kind::identityChanged: return "That PID now belongs to a different process \u2014 nothing was signaled.";
        case Kind::noLongerAgent: return "That process is no longer a verified agent \u2014 nothing was signaled.";
    }
    return {};
}

bool StopAgentOutcome::isSuccess() const { return kind == Kind::signaled || kind == Kind::alreadyExited; }

std::string StopVisibleOutcome::message() const {
    std::vector<std::string> parts;
    if (stoppedCount >= 1) parts.push_back("Stopped " + plural(stoppedCount, "target"));
    if (alreadyExitedCount >= 1) parts.push_back(fmt::format("{} already exited", alreadyExitedCount));
    if (skippedCount >= 1) parts.push_back(fmt::format("{} safely skipped", skippedCount));
    if (failedCount >= 1) parts.push_back(fmt::format("{} failed", failedCount));
    if (parts.empty()) return "Nothing needed stopping.";
    return fmt::format("{}.", fmt::join(parts, " \u00b7 "));
}

}  // namespace quaylight
