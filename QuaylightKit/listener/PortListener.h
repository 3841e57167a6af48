#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ProcessCoreKit/records/AgentProcessIdentity.h"
#include "QuaylightKit/bind/BindScope.h"
#include "QuaylightKit/bind/BindSignature.h"
#include "QuaylightKit/classification/ServiceClassification.h"
#include "QuaylightKit/focus/FocusTarget.h"
#include "QuaylightKit/listener/ListenerIdentity.h"
#include "QuaylightKit/listener/SharedProcessSnapshot.h"
#include "QuaylightKit/project/AgentHost.h"
#include "QuaylightKit/project/ListenerProject.h"

namespace quaylight {

// Whether a row belongs to the default list. The scan assigns only the first two.
enum class VisibilityClass { defaultVisible, hiddenSystemBackground, unavailable };

template <>
struct RawValues<VisibilityClass> {
    static constexpr std::array<std::pair<VisibilityClass, std::string_view>, 3> table{{
        {VisibilityClass::defaultVisible, "defaultVisible"},
        {VisibilityClass::hiddenSystemBackground, "hiddenSystemBackground"},
        {VisibilityClass::unavailable, "unavailable"},
    }};
};

constexpr int sortRank(VisibilityClass visibility) { return static_cast<int>(visibility); }

// One listening TCP port of one process, or of one collapsed worker pool: one row.
struct PortListener {
    ListenerIdentity identity;
    std::int64_t port = 0;
    PortProtocol proto = PortProtocol::tcp;
    PortState state = PortState::listen;
    std::vector<BoundEndpoint> endpoints;
    BindScope bindScope = BindScope::unknown;
    BindSignature bindSignature;
    SharedProcessSnapshot process;  // a pool's representative; the rows of one process share it
    std::int64_t workerPoolSize = 1;
    std::optional<ProcessIdentity> parentIdentity;
    VisibilityClass visibility = VisibilityClass::defaultVisible;
    ServiceClassification classification;
    std::optional<AgentKind> agentOrigin;
    std::optional<AgentProcessIdentity> agentProcess;
    std::optional<AgentHost> host;
    std::optional<ListenerProject> project;
    std::optional<FocusTarget> focusTarget;
    bool isInQuaylightSubtree = false;

    friend bool operator==(const PortListener&, const PortListener&) = default;

    std::string id() const { return identity.stableID(); }
    bool isWorkerPool() const { return workerPoolSize > 1; }
    std::optional<std::string> openableURL() const;
};

}  // namespace quaylight
