#pragma once
// Builders and compact renderings for the inventory's tests: inputs read as a story, and
// what comes out (rows, edges, deadlines) compares as short texts.

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "Quaylight/agent-inventory/reducer/AgentInventoryReducer.h"

namespace quaylight::testsupport {

using namespace std::chrono_literals;
using EventKind = AgentHookProtocol::EventKind;
using HostAppOccurrence = ProcessAncestryFacts::HostAppOccurrence;
using HookOrigin = AgentInventoryReducer::HookOrigin;

// The stories' time zero, and a time that many seconds (or micro-/milliseconds) later.
inline constexpr WallTime storyStart{std::chrono::seconds(1'700'000'000)};
inline WallTime t(Microseconds offset) { return storyStart + offset; }
// "+12s" or "+10.5s": a time as an offset from the story's start.
std::string offset(WallTime time);

// Agent process `pid` of `kind`, started at 1000 + pid seconds.
AgentProcessIdentity agent(std::int32_t pid, AgentKind kind = AgentKind::codex);
HostAppOccurrence host(HostAppKind kind, std::int32_t pid = 500);
AgentHookProtocol::Envelope envelope(AgentKind provider, EventKind event, std::string session,
                                     std::optional<std::string> project = {});
AgentProcessPresence presence(const AgentProcessIdentity& id, std::optional<AgentKind> provider = {},
                              std::optional<HostAppOccurrence> host = {}, std::optional<std::string> project = {});
// A listener on `port` of process `ownerPID`.
ListenerIdentity listener(std::int64_t port, std::int32_t ownerPID);

// "hook:claude/s1 claude working", "agent:codex/101 codex detected", and a quoted detail
// when there is one. The session id is written out rather than hashed.
std::string row(const AgentSessionSnapshot& session);
std::vector<std::string> rows(const AgentInventorySnapshot& snapshot);
// The other fields: "host=terminal project=web location=local evidence=hook+process
// ports=exact:2 started=... last=+5s process=101".
std::string details(const AgentSessionSnapshot& session);
// "hook:claude/s1 claude +5s".
std::vector<std::string> edges(const std::vector<AgentCompletionEdge>& edges);

// A reducer driven one input at a time.
struct Story {
    AgentInventoryReducer reducer;

    void hook(WallTime at, AgentKind provider, EventKind event, std::string session, HookOrigin origin = {},
              std::optional<std::string> project = {});
    void scan(WallTime at, std::vector<AgentProcessPresence> entries,
              AgentInventoryReducer::RelatedListeners related = {}, std::optional<WallTime> observedAt = {},
              AgentInventoryReducer::RuntimeCurrentTest runtimeCurrent = {});
    void track(WallTime at, std::vector<AgentTrackingUpdateFacts::Counted> counted,
               std::vector<AgentTrackingUpdateFacts::Finished> finished = {},
               std::unordered_map<AgentProcessIdentity, HostAppKind> hosts = {},
               std::optional<WallTime> observedAt = {});

    AgentInventorySnapshot snapshot() const { return reducer.snapshot({}); }
    std::vector<std::string> rows() const { return testsupport::rows(snapshot()); }
    std::vector<std::string> takeEdges() { return edges(reducer.takePendingCompletionEdges()); }
    // The next deadline as an offset, or "none".
    std::string deadline() const;
    // The one session with this row text prefix ("hook:claude/s1").
    AgentSessionSnapshot session(const std::string& id) const;
};

}  // namespace quaylight::testsupport
