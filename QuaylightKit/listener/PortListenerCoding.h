#pragma once
// JSON coding of PortListener, apart from the record so that only the code that codes it parses the JSON library.

#include <nlohmann/json.hpp>

#include "QuaylightKit/listener/PortListener.h"
#include "ProcessCoreKit/support/JsonCoding.h"
#include "ProcessCoreKit/records/AgentProcessIdentityCoding.h"
#include "ProcessCoreKit/records/ProcessSnapshotCoding.h"
#include "QuaylightKit/bind/BindSignatureCoding.h"
#include "QuaylightKit/classification/ServiceClassificationCoding.h"
#include "QuaylightKit/focus/FocusTargetCoding.h"
#include "QuaylightKit/listener/ListenerIdentityCoding.h"
#include "QuaylightKit/project/AgentHostCoding.h"
#include "QuaylightKit/project/ListenerProjectCoding.h"

namespace quaylight {

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
    j["process"] = *l.process;
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
    l.process = j.at("process").template get<ProcessSnapshot>();
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
