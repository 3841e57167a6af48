#pragma once

#include <optional>
#include <set>
#include <string>
#include <tuple>

#include "ProcessCoreKit/records/AgentProcessIdentity.h"
#include "ProcessCoreKit/records/HostAppKind.h"
#include "ProcessCoreKit/support/Time.h"
#include "Quaylight/agent-inventory/model/AgentSessionID.h"
#include "Quaylight/agent-inventory/model/AgentSessionState.h"
#include "QuaylightKit/listener/ListenerIdentity.h"

namespace quaylight {

// The app through which the user controls a session.
struct AgentHostDescriptor {
    HostAppKind kind = HostAppKind::terminal;
    std::string displayName;  // the kind's name, not the host process's own
    ProcessIdentity identity;
    friend bool operator==(const AgentHostDescriptor&, const AgentHostDescriptor&) = default;
};

struct AgentExecutionLocation {
    enum class Kind { remote, local, unknown };
    Kind kind = Kind::unknown;
    std::optional<std::string> providerLabel;  // remote only

    static AgentExecutionLocation remote(std::optional<std::string> providerLabel) {
        return {Kind::remote, std::move(providerLabel)};
    }
    static AgentExecutionLocation local() { return {Kind::local, std::nullopt}; }
    static AgentExecutionLocation unknown() { return {Kind::unknown, std::nullopt}; }
    friend bool operator==(const AgentExecutionLocation&, const AgentExecutionLocation&) = default;
};

enum class PortRelationshipConfidence { exact, noneObserved, unavailable };

// What the session's existence rests on.
enum class AgentEvidence { process, providerHook, processAndProviderHook };

// Orders listener identities field by field; any consistent order serves a set.
struct ListenerIdentityOrder {
    bool operator()(const ListenerIdentity& a, const ListenerIdentity& b) const {
        return std::tie(a.process, a.proto, a.port, a.bindSignature, a.isPool, a.executablePath) <
               std::tie(b.process, b.proto, b.port, b.bindSignature, b.isPool, b.executablePath);
    }
};
using ListenerIdentitySet = std::set<ListenerIdentity, ListenerIdentityOrder>;

// One agent session as the Agents panel and the notch indicator show it.
struct AgentSessionSnapshot {
    AgentSessionID id;
    AgentKind provider = AgentKind::codex;
    AgentSessionState state = AgentSessionState::detected;
    std::optional<std::string> stateDetail;
    std::optional<AgentHostDescriptor> controlSurface;
    AgentExecutionLocation executionLocation;
    std::optional<std::string> projectName;
    std::optional<WallTime> startedAt;
    WallTime lastEventAt;
    std::optional<AgentProcessIdentity> processIdentity;
    ListenerIdentitySet relatedListenerIDs;
    PortRelationshipConfidence portRelationship = PortRelationshipConfidence::unavailable;
    AgentEvidence evidence = AgentEvidence::process;

    // A row's key. A session that ended and started again within the finished window is
    // listed twice under one id, so a finished row is keyed apart from the live one:
    // "<stableID>:finished:<end time in microseconds>"; every other row uses the stableID.
    std::string rowKey() const;

    friend bool operator==(const AgentSessionSnapshot&, const AgentSessionSnapshot&) = default;
};

}  // namespace quaylight
