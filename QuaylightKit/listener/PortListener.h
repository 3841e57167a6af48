#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "ProcessCoreKit/records/AgentProcessIdentity.h"
#include "ProcessCoreKit/records/ProcessSnapshot.h"
#include "QuaylightKit/bind/BindScope.h"
#include "QuaylightKit/bind/BindSignature.h"
#include "QuaylightKit/classification/ServiceClassification.h"
#include "QuaylightKit/focus/FocusTarget.h"
#include "QuaylightKit/listener/ListenerIdentity.h"
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
    ProcessSnapshot process;  // a pool's representative
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

template <class BasicJson>
void to_json(BasicJson& j, const PortListener& l) {
    using json_coding::putIfPresent;
    j = BasicJson::object();
    j["identity"] = l.identity;
    j["port"] = l.port;
    j["proto"] = l.proto;
    j["state"] = l.state;
    j["endpoints"] = l.endpoints;
    j["bindScope"] = l.bindScope;
    j["bindSignature"] = l.bindSignature;
    j["process"] = l.process;
    j["workerPoolSize"] = l.workerPoolSize;
    putIfPresent(j, "parentIdentity", l.parentIdentity);
    j["visibility"] = l.visibility;
    j["classification"] = l.classification;
    putIfPresent(j, "agentOrigin", l.agentOrigin);
    putIfPresent(j, "agentProcess", l.agentProcess);
    putIfPresent(j, "host", l.host);
    putIfPresent(j, "project", l.project);
    putIfPresent(j, "focusTarget", l.focusTarget);
    j["isInQuaylightSubtree"] = l.isInQuaylightSubtree;
}

template <class BasicJson>
void from_json(const BasicJson& j, PortListener& l) {
    using json_coding::getIfPresent;
    j.at("identity").get_to(l.identity);
    j.at("port").get_to(l.port);
    j.at("proto").get_to(l.proto);
    j.at("state").get_to(l.state);
    j.at("endpoints").get_to(l.endpoints);
    j.at("bindScope").get_to(l.bindScope);
    j.at("bindSignature").get_to(l.bindSignature);
    j.at("process").get_to(l.process);
    j.at("workerPoolSize").get_to(l.workerPoolSize);
    l.parentIdentity = getIfPresent<ProcessIdentity>(j, "parentIdentity");
    j.at("visibility").get_to(l.visibility);
    j.at("classification").get_to(l.classification);
    l.agentOrigin = getIfPresent<AgentKind>(j, "agentOrigin");
    l.agentProcess = getIfPresent<AgentProcessIdentity>(j, "agentProcess");
    l.host = getIfPresent<AgentHost>(j, "host");
    l.project = getIfPresent<ListenerProject>(j, "project");
    l.focusTarget = getIfPresent<FocusTarget>(j, "focusTarget");
    j.at("isInQuaylightSubtree").get_to(l.isInQuaylightSubtree);
}

}  // namespace quaylight
