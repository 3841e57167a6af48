#pragma once

#include <string>

#include <fmt/format.h>

#include "ProcessCoreKit/records/AgentKind.h"
#include "ProcessCoreKit/records/ProcessIdentity.h"

namespace quaylight {

// An agent process: its identity and its provider.
struct AgentProcessIdentity {
    ProcessIdentity process;
    AgentKind kind = AgentKind::codex;

    friend bool operator==(const AgentProcessIdentity&, const AgentProcessIdentity&) = default;

    // "agent:<kind>:<pid>:<seconds>.<microseconds>", microseconds without zero-filling.
    std::string stableID() const {
        return fmt::format("agent:{}:{}:{}.{}", rawValue(kind), process.pid, process.startTimeSeconds,
                           process.startTimeMicroseconds);
    }
};

// Agent lists are ordered by provider (Codex first), then PID, then start time.
inline bool agentOrderLess(const AgentProcessIdentity& a, const AgentProcessIdentity& b) {
    if (sortOrder(a.kind) != sortOrder(b.kind)) return sortOrder(a.kind) < sortOrder(b.kind);
    if (a.process.pid != b.process.pid) return a.process.pid < b.process.pid;
    if (a.process.startTimeSeconds != b.process.startTimeSeconds)
        return a.process.startTimeSeconds < b.process.startTimeSeconds;
    return a.process.startTimeMicroseconds < b.process.startTimeMicroseconds;
}

}  // namespace quaylight

template <>
struct std::hash<quaylight::AgentProcessIdentity> {
    std::size_t operator()(const quaylight::AgentProcessIdentity& a) const noexcept {
        return quaylight::hashCombine(std::hash<quaylight::ProcessIdentity>{}(a.process),
                                      static_cast<std::size_t>(a.kind));
    }
};
