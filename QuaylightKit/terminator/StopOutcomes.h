#pragma once
// What became of a stop action, with the sentence the panel shows for it.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "ProcessCoreKit/safety/ProcessSafetyClassifier.h"

namespace quaylight {

// Why a protected process was not signalled, as the user reads it.
std::string_view protectionMessage(ProtectionReason reason);

struct KillOutcome {
    enum class Kind { blocked, signalFailed, signaled, signaledForce, alreadyExited, identityChanged };
    Kind kind = Kind::signaled;
    std::optional<ProtectionReason> reason;  // blocked
    std::string signalName;                  // signalFailed
    std::string detail;                      // signalFailed

    static KillOutcome blocked(ProtectionReason r) { return {Kind::blocked, r, {}, {}}; }
    static KillOutcome signalFailed(std::string signal, std::string why) {
        return {Kind::signalFailed, std::nullopt, std::move(signal), std::move(why)};
    }
    static KillOutcome signaled() { return {Kind::signaled, std::nullopt, {}, {}}; }
    static KillOutcome signaledForce() { return {Kind::signaledForce, std::nullopt, {}, {}}; }
    static KillOutcome alreadyExited() { return {Kind::alreadyExited, std::nullopt, {}, {}}; }
    static KillOutcome identityChanged() { return {Kind::identityChanged, std::nullopt, {}, {}}; }

    friend bool operator==(const KillOutcome&, const KillOutcome&) = default;
    std::string message() const;
    bool isSuccess() const;
};

struct StopPoolOutcome {
    enum class Kind {
        signaledMembers,
        blocked,
        signalFailed,
        signaledSupervisor,
        alreadyExited,
        identityChanged,
        noActionableTarget
    };
    Kind kind = Kind::signaledSupervisor;
    std::int64_t count = 0;                  // signaledMembers
    std::optional<ProtectionReason> reason;  // blocked
    std::string detail;                      // signalFailed

    static StopPoolOutcome signaledMembers(std::int64_t n) { return {Kind::signaledMembers, n, std::nullopt, {}}; }
    static StopPoolOutcome blocked(ProtectionReason r) { return {Kind::blocked, 0, r, {}}; }
    static StopPoolOutcome signalFailed(std::string why) {
        return {Kind::signalFailed, 0, std::nullopt, std::move(why)};
    }
    static StopPoolOutcome signaledSupervisor() { return {Kind::signaledSupervisor, 0, std::nullopt, {}}; }
    static StopPoolOutcome alreadyExited() { return {Kind::alreadyExited, 0, std::nullopt, {}}; }
    static StopPoolOutcome identityChanged() { return {Kind::identityChanged, 0, std::nullopt, {}}; }
    static StopPoolOutcome noActionableTarget() { return {Kind::noActionableTarget, 0, std::nullopt, {}}; }

    friend bool operator==(const StopPoolOutcome&, const StopPoolOutcome&) = default;
    std::string message() const;
    bool isSuccess() const;
};

struct StopAgentOutcome {
    enum class Kind { blocked, signalFailed, signaled, alreadyExited, identityChanged, noLongerAgent };
    Kind kind = Kind::signaled;
    std::optional<ProtectionReason> reason;  // blocked
    std::string detail;                      // signalFailed

    static StopAgentOutcome blocked(ProtectionReason r) { return {Kind::blocked, r, {}}; }
    static StopAgentOutcome signalFailed(std::string why) { return {Kind::signalFailed, std::nullopt, std::move(why)}; }
    static StopAgentOutcome signaled() { return {Kind::signaled, std::nullopt, {}}; }
    static StopAgentOutcome alreadyExited() { return {Kind::alreadyExited, std::nullopt, {}}; }
    static StopAgentOutcome identityChanged() { return {Kind::identityChanged, std::nullopt, {}}; }
    static StopAgentOutcome noLongerAgent() { return {Kind::noLongerAgent, std::nullopt, {}}; }

    friend bool operator==(const StopAgentOutcome&, const StopAgentOutcome&) = default;
    std::string message() const;
    bool isSuccess() const;
};

// A stop over many targets: how many of them went which way.
struct StopVisibleOutcome {
    std::int64_t stoppedCount = 0;
    std::int64_t alreadyExitedCount = 0;
    std::int64_t skippedCount = 0;
    std::int64_t failedCount = 0;

    friend bool operator==(const StopVisibleOutcome&, const StopVisibleOutcome&) = default;
    // "Stopped 2 targets · 1 already exited.", or "Nothing needed stopping."
    std::string message() const;
    bool isSuccess() const { return skippedCount == 0 && failedCount == 0; }
};

}  // namespace quaylight
