#include "tests/Quaylight/agent-inventory/support/InventoryTesting.h"

#include <stdexcept>

#include <fmt/format.h>

namespace quaylight::testsupport {

namespace {

std::string stateName(AgentSessionState state) {
    switch (state) {
        case AgentSessionState::needsAttention: return "needsAttention";
        case AgentSessionState::working: return "working";
        case AgentSessionState::waiting: return "waiting";
        case AgentSessionState::detected: return "detected";
        case AgentSessionState::recentlyFinished: return "recentlyFinished";
    }
    return "?";
}

std::string idText(const AgentSessionID& id) {
    if (const auto* session = id.providerSession())
        return fmt::format("hook:{}/{}", rawValue(session->provider), session->sessionID);
    return fmt::format("agent:{}/{}", rawValue(id.processIdentity()->kind), id.processIdentity()->process.pid);
}

}  // namespace

std::string offset(WallTime time) {
    auto micros = (time - storyStart).count();
    if (micros % 1'000'000 == 0) return fmt::format("{:+}s", micros / 1'000'000);
    auto text = fmt::format("{:+.6f}", static_cast<double>(micros) / 1e6);
    while (text.back() == '0') text.pop_back();
    return text + "s";
}

AgentProcessIdentity agent(std::int32_t pid, AgentKind kind) {
    return {{pid, static_cast<std::uint64_t>(1000 + pid), 0}, kind};
}

HostAppOccurrence host(HostAppKind kind, std::int32_t pid) {
    return {kind, {pid, 500, 0}, fmt::format("host-process-{}", pid)};
}

AgentHookProtocol::Envelope envelope(AgentKind provider, EventKind event, std::string session,
                                     std::optional<std::string> project) {
    AgentHookProtocol::Envelope e;
    e.provider = provider;
    e.event = event;
    e.sessionID = std::move(session);
    e.projectName = std::move(project);
    e.parentPID = 4242;
    return e;
}

AgentProcessPresence presence(const AgentProcessIdentity& id, std::optional<AgentKind> provider,
                              std::optional<HostAppOccurrence> host, std::optional<std::string> project) {
    return AgentProcessPresence(id, provider, std::move(host), std::move(project), t(0s));
}

ListenerIdentity listener(std::int64_t port, std::int32_t ownerPID) {
    ListenerIdentity id;
    id.process = {ownerPID, 2000, 0};
    id.port = port;
    return id;
}

std::string row(const AgentSessionSnapshot& session) {
    auto text = fmt::format("{} {} {}", idText(session.id), rawValue(session.provider), stateName(session.state));
    if (session.stateDetail) text += fmt::format(" \"{}\"", *session.stateDetail);
    return text;
}

std::vector<std::string> rows(const AgentInventorySnapshot& snapshot) {
    std::vector<std::string> texts;
    for (const auto& session : snapshot.sessions) texts.push_back(row(session));
    return texts;
}

std::string details(const AgentSessionSnapshot& s) {
    auto location = s.executionLocation.kind == AgentExecutionLocation::Kind::local     ? "local"
                    : s.executionLocation.kind == AgentExecutionLocation::Kind::unknown ? "unknown"
                                                                                         : "remote";
    auto evidence = s.evidence == AgentEvidence::process        ? "process"
                    : s.evidence == AgentEvidence::providerHook ? "hook"
                                                                : "hook+process";
    auto ports = s.portRelationship == PortRelationshipConfidence::exact          ? "exact"
                 : s.portRelationship == PortRelationshipConfidence::noneObserved ? "none"
                                                                                   : "unavailable";
    return fmt::format("host={} project={} location={} evidence={} ports={}:{} started={} last={} process={}",
                       s.controlSurface ? std::string(rawValue(s.controlSurface->kind)) : "-",
                       s.projectName.value_or("-"), location, evidence, ports, s.relatedListenerIDs.size(),
                       s.startedAt ? fmt::format("{}", s.startedAt->time_since_epoch().count() / 1'000'000) : "-",
                       offset(s.lastEventAt),
                       s.processIdentity ? fmt::format("{}", s.processIdentity->process.pid) : "-");
}

std::vector<std::string> edges(const std::vector<AgentCompletionEdge>& list) {
    std::vector<std::string> texts;
    for (const auto& edge : list)
        texts.push_back(fmt::format("{} {} {}", idText(edge.sessionID), rawValue(edge.provider), offset(edge.at)));
    return texts;
}

void Story::hook(WallTime at, AgentKind provider, EventKind event, std::string session, HookOrigin origin,
                 std::optional<std::string> project) {
    reducer.applyHookEvent(envelope(provider, event, std::move(session), std::move(project)), origin, at);
}

void Story::scan(WallTime at, std::vector<AgentProcessPresence> entries,
                 AgentInventoryReducer::RelatedListeners related, std::optional<WallTime> observedAt,
                 AgentInventoryReducer::RuntimeCurrentTest runtimeCurrent) {
    if (!runtimeCurrent) runtimeCurrent = [](const ProcessIdentity&) { return true; };
    reducer.applyPanelScan({std::move(entries)}, related, runtimeCurrent, observedAt, at);
}

void Story::track(WallTime at, std::vector<AgentTrackingUpdateFacts::Counted> counted,
                  std::vector<AgentTrackingUpdateFacts::Finished> finished,
                  std::unordered_map<AgentProcessIdentity, HostAppKind> hosts, std::optional<WallTime> observedAt) {
    reducer.applyPresentedTrackingUpdate(counted, finished, hosts, observedAt, at);
}

std::string Story::deadline() const {
    auto next = reducer.nextTransientDeadline();
    return next ? offset(*next) : "none";
}

AgentSessionSnapshot Story::session(const std::string& id) const {
    for (const auto& s : snapshot().sessions)
        if (row(s).rfind(id + " ", 0) == 0) return s;
    throw std::runtime_error("no session " + id);
}

}  // namespace quaylight::testsupport
