#include "QuaylightKit/engine/PortEngine.h"

#include <algorithm>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <variant>

#include "ProcessCoreKit/agents/AgentProcessGraph.h"
#include "ProcessCoreKit/ancestry/ProcessAncestry.h"
#include "ProcessCoreKit/records/ScanError.h"
#include "ProcessCoreKit/safety/KnownBackgroundAppClassifier.h"
#include "ProcessCoreKit/safety/ProcessSafetyClassifier.h"
#include "QuaylightKit/bind/BindScope.h"
#include "QuaylightKit/classification/ServiceClassifier.h"
#include "QuaylightKit/engine/AgentProcessPresenceBuilder.h"
#include "QuaylightKit/project/ListenerEnrichment.h"

namespace quaylight {
namespace {

// One process's listening port before pooling. The snapshot stays with the scan's reads.
struct ProcessListener {
    const ProcessSnapshot* snapshot = nullptr;
    std::int64_t port = 0;
    std::vector<BoundEndpoint> endpoints;  // distinct, in first-seen order
    BindSignature bindSignature;
    BindScope bindScope = BindScope::unknown;
};

// One row before enrichment.
struct CollapsedListener {
    ProcessListener* representative = nullptr;  // its endpoints move into the row at the end
    std::int64_t poolSize = 1;
    std::optional<ProcessIdentity> parent;
};

// The sockets of one port as distinct endpoints, in the order they were listed.
std::vector<BoundEndpoint> endpointsOnPort(const std::vector<RawListeningSocket>& sockets, std::int64_t port) {
    std::vector<BoundEndpoint> endpoints;
    for (const auto& socket : sockets) {
        if (socket.port != port) continue;
        BoundEndpoint endpoint{socket.address, socket.family, socket.port};
        if (std::find(endpoints.begin(), endpoints.end(), endpoint) == endpoints.end())
            endpoints.push_back(std::move(endpoint));
    }
    return endpoints;
}

// Appends one listener per port of the process, ports in first-seen order.
void appendListenersOfProcess(const ProcessSnapshot& snapshot, const std::vector<RawListeningSocket>& sockets,
                              std::vector<ProcessListener>& listeners) {
    const std::size_t first = listeners.size();
    for (const auto& socket : sockets) {
        const bool seen = std::any_of(listeners.begin() + static_cast<std::ptrdiff_t>(first), listeners.end(),
                                      [&](const ProcessListener& l) { return l.port == socket.port; });
        if (seen) continue;
        ProcessListener listener{&snapshot, socket.port, endpointsOnPort(sockets, socket.port), {}, BindScope::unknown};
        listener.bindSignature = BindSignature::make(listener.endpoints);
        listener.bindScope = makeBindScope(listener.endpoints);
        listeners.push_back(std::move(listener));
    }
}

// Reads each parent's identity at most once, remembering the ones that could not be read.
class ParentIdentityCache {
public:
    explicit ParentIdentityCache(const PortEngineDependencies& d) : d_(d) {}
    std::optional<ProcessIdentity> operator()(std::int32_t pid) {
        auto [it, inserted] = cache_.try_emplace(pid);
        if (inserted) it->second = d_.processIdentity(pid);
        return it->second;
    }

private:
    const PortEngineDependencies& d_;
    std::unordered_map<std::int32_t, std::optional<ProcessIdentity>> cache_;
};

// The parent a listener would pool under: present only when it has every fact a pool needs
// (executable, user, a parent above PID 1 whose identity can be read).
std::optional<ProcessIdentity> poolParent(const ProcessListener& listener, ParentIdentityCache& parents) {
    const auto& s = *listener.snapshot;
    if (!s.executablePath || !s.uid || !s.parentPID || *s.parentPID < 2) return std::nullopt;
    return parents(*s.parentPID);
}

// What the first pass reads of one process: its listening sockets, its snapshot when it
// has any, and its snapshot for agent detection.
struct ProcessReads {
    std::vector<RawListeningSocket> sockets;
    std::optional<ProcessSnapshot> owner;
    std::optional<ProcessSnapshot> agentCandidate;
};

// One pass over every PID, possibly on several threads; the results keep PID-list order,
// with an entry only for a process that gave something.
std::vector<std::unique_ptr<ProcessReads>> readProcesses(const PortEngineDependencies& d,
                                                         const std::vector<std::int32_t>& pids, std::uint32_t myUID,
                                                         bool includeArgv) {
    auto socketsOf = d.listeningSocketReader();
    std::vector<std::unique_ptr<ProcessReads>> reads(pids.size());
    auto body = [&](std::size_t i) {
        if (d.isInspectableProgram && !d.isInspectableProgram(pids[i])) return;
        ProcessReads r;
        r.sockets = socketsOf(pids[i]);
        if (!r.sockets.empty()) r.owner = d.enrichedSnapshot(pids[i], myUID, includeArgv);
        r.agentCandidate = d.agentPresenceSnapshot(pids[i], myUID);
        if (r.owner || r.agentCandidate) reads[i] = std::make_unique<ProcessReads>(std::move(r));
    };
    if (d.forEachProcess)
        d.forEachProcess(pids.size(), body);
    else
        sequentialForEach(pids.size(), body);
    return reads;
}

std::vector<ProcessListener> gatherProcessListeners(const std::vector<std::unique_ptr<ProcessReads>>& reads) {
    std::size_t sockets = 0;
    for (const auto& r : reads)
        if (r && r->owner) sockets += r->sockets.size();
    std::vector<ProcessListener> listeners;
    listeners.reserve(sockets);  // at most one listener per socket
    for (const auto& r : reads) {
        if (!r || r->sockets.empty() || !r->owner) continue;
        appendListenersOfProcess(*r->owner, r->sockets, listeners);
    }
    return listeners;
}

std::vector<CollapsedListener> collapseWorkerPools(const PortEngineDependencies& d,
                                                   std::vector<ProcessListener>& listeners) {
    // Only listeners that share their port with another can form a pool; one alone on its
    // port keys on its own index, which places it exactly where its own signals would.
    std::unordered_map<std::int64_t, int> listenersOnPort;
    for (const auto& listener : listeners) ++listenersOnPort[listener.port];
    // Only each listener's pool parent is kept; full signals are built, one at a time,
    // for listeners that share their port.
    using Key = std::variant<std::size_t, WorkerPoolCollapser::Signals>;
    ParentIdentityCache parentCache(d);
    std::vector<std::optional<ProcessIdentity>> parents;
    parents.reserve(listeners.size());
    for (const auto& l : listeners) parents.push_back(poolParent(l, parentCache));

    std::vector<std::size_t> indices(listeners.size());
    for (std::size_t i = 0; i < indices.size(); ++i) indices[i] = i;
    auto groups = WorkerPoolCollapser::group(indices, [&](std::size_t i) -> std::optional<Key> {
        const auto& l = listeners[i];
        if (!parents[i]) return std::nullopt;
        if (listenersOnPort[l.port] == 1) return Key(i);
        return Key(WorkerPoolCollapser::Signals{l.port, l.bindSignature, *l.snapshot->executablePath, *parents[i],
                                                *l.snapshot->uid, WorkerPoolCollapser::exactEndpoints(l.endpoints)});
    });

    std::vector<CollapsedListener> collapsed;
    collapsed.reserve(groups.size());
    for (const auto& group : groups) {
        ProcessListener* representative = &listeners[group.front()];
        for (auto i : group)
            if (listeners[i].snapshot->identity.pid < representative->snapshot->identity.pid)
                representative = &listeners[i];
        if (group.size() == 1) {
            collapsed.push_back({representative, 1, std::nullopt});
        } else {
            // Members of one pool share their parent's identity.
            collapsed.push_back({representative, static_cast<std::int64_t>(group.size()), parents[group.front()]});
        }
    }
    return collapsed;
}

std::vector<const ProcessSnapshot*> gatherAgentPresenceInventory(
    const std::vector<std::unique_ptr<ProcessReads>>& reads) {
    std::vector<const ProcessSnapshot*> inventory;
    for (const auto& r : reads)
        if (r && r->agentCandidate) inventory.push_back(&*r->agentCandidate);
    return inventory;
}

// The snapshots one scan has read, so that every ancestry walk reuses them and reads each
// other PID at most once.
class ScanSnapshotMap {
public:
    ScanSnapshotMap(const PortEngineDependencies& d, std::uint32_t myUID) : d_(d), myUID_(myUID) {}

    void fillFromInventory(const std::vector<const ProcessSnapshot*>& inventory) {
        for (const ProcessSnapshot* snapshot : inventory) byPID_.insert_or_assign(snapshot->identity.pid, *snapshot);
        for (const auto& [pid, snapshot] : byPID_) visited_.insert(pid);
    }

    // Keeps an inventory snapshot of a listener's PID only while it is the same process;
    // otherwise stores the listener's own snapshot when that one is current.
    void reconcile(const std::vector<CollapsedListener>& collapsed) {
        std::unordered_map<std::int32_t, std::optional<ProcessIdentity>> liveIdentity;
        for (const auto& c : collapsed) {
            const auto& snapshot = *c.representative->snapshot;
            const auto pid = snapshot.identity.pid;
            visited_.insert(pid);
            auto [it, inserted] = liveIdentity.try_emplace(pid);
            if (inserted) it->second = d_.processIdentity(pid);
            const auto& live = it->second;
            if (auto held = byPID_.find(pid); held != byPID_.end() && (!live || *live != held->second.identity))
                byPID_.erase(held);
            if (live && *live == snapshot.identity && !byPID_.contains(pid)) byPID_.emplace(pid, snapshot);
        }
    }

    std::optional<ProcessSnapshot> lookup(std::int32_t pid) {
        if (!visited_.insert(pid).second) {
            auto it = byPID_.find(pid);
            return it == byPID_.end() ? std::nullopt : std::optional(it->second);
        }
        auto snapshot = d_.detectionSnapshot(pid, myUID_);
        if (snapshot) byPID_.insert_or_assign(pid, *snapshot);
        return snapshot;
    }

    SnapshotLookup lookupFunction() {
        return [this](std::int32_t pid) { return lookup(pid); };
    }

    // In PID order, so that graphs built from it do not depend on hashing.
    std::vector<ProcessSnapshot> snapshots() const {
        std::vector<ProcessSnapshot> all;
        all.reserve(byPID_.size());
        for (const auto& [pid, snapshot] : byPID_) all.push_back(snapshot);
        std::sort(all.begin(), all.end(),
                  [](const auto& a, const auto& b) { return a.identity.pid < b.identity.pid; });
        return all;
    }

private:
    const PortEngineDependencies& d_;
    std::uint32_t myUID_;
    std::unordered_map<std::int32_t, ProcessSnapshot> byPID_;
    std::unordered_set<std::int32_t> visited_;
};

// Existence answers kept for one scan: listeners of one project, and projects side by side,
// walk the same folders, and each answer costs a system call.
PathExistenceTest rememberingExistence(const PathExistenceTest& exists) {
    auto known = std::make_shared<std::unordered_map<std::string, bool>>();
    return [exists, known](const std::string& path) {
        auto [it, inserted] = known->try_emplace(path, false);
        if (inserted) it->second = exists(path);
        return it->second;
    };
}

// One result per owning process, kept in `memo`; the rows point at their owner's.
std::vector<const ListenerEnrichment::Result*> enrichListeners(
    const PortEngineDependencies& d, const std::vector<CollapsedListener>& collapsed,
    const SnapshotLookup& lookupSnapshot, const PathExistenceTest& directoryExists, const HomeDirectory& home,
    std::unordered_map<ProcessIdentity, ListenerEnrichment::Result>& memo) {
    std::optional<std::int32_t> root;
    std::vector<const ListenerEnrichment::Result*> results;
    results.reserve(collapsed.size());
    for (const auto& c : collapsed) {
        const auto& owner = *c.representative->snapshot;
        auto it = memo.find(owner.identity);
        if (it == memo.end()) {
            if (!root) root = d.currentPID();  // the same for every listener: read on first need
            auto result = ListenerEnrichment::enrich(owner, *root, lookupSnapshot, directoryExists,
                                                     d.currentWorkingDirectory, home);
            it = memo.emplace(owner.identity, std::move(result)).first;
        }
        results.push_back(&it->second);
    }
    return results;
}

// The listener's agent, kept only while the scan's final graph still sees the same agent,
// and raised to the top of its session.
void attachAgent(PortListener& listener, const ListenerEnrichment::Result& r, const AgentProcessGraph& graph,
                 const std::unordered_map<AgentProcessIdentity, AgentKind>& providerByAgent) {
    if (!r.agentProcess) return;
    const auto& agent = *r.agentProcess;
    const ProcessSnapshot* snapshot = graph.snapshot(agent.process);
    if (!snapshot || graph.agentKind(*snapshot) != agent.kind) return;
    AgentProcessIdentity top{graph.topLevelSessionIdentity(agent).process, agent.kind};
    auto provider = providerByAgent.find(top);
    listener.agentOrigin = provider == providerByAgent.end() ? agent.kind : provider->second;
    listener.agentProcess = top;
}

// Takes the representative's endpoints: each stands for exactly one row.
PortListener makeListener(const CollapsedListener& c, const SharedProcessSnapshot& process) {
    ProcessListener& rep = *c.representative;
    const bool pooled = c.poolSize >= 2;
    PortListener listener;
    listener.identity = ListenerIdentity{pooled && c.parent ? *c.parent : rep.snapshot->identity,
                                         PortProtocol::tcp,
                                         rep.port,
                                         rep.bindSignature,
                                         c.poolSize > 1,
                                         pooled ? rep.snapshot->executablePath : std::nullopt};
    listener.port = rep.port;
    listener.endpoints = std::move(rep.endpoints);
    listener.bindScope = rep.bindScope;
    listener.bindSignature = std::move(rep.bindSignature);
    listener.process = process;
    listener.workerPoolSize = c.poolSize;
    listener.parentIdentity = c.parent;
    return listener;
}

}  // namespace

ScanResult PortEngine::scan(bool includeArgv) const {
    const auto& d = dependencies;
    const WallTime scannedAt = d.now();
    const auto pids = d.allPIDs();
    if (pids.empty()) throw ScanFailure(ScanError::enumerationUnavailable);
    const std::uint32_t myUID = d.currentUID();

    // Each process is read once, in one pass: its sockets, its snapshot when it listens,
    // and whether it may be an agent.
    const auto reads = readProcesses(d, pids, myUID, includeArgv);
    auto processListeners = gatherProcessListeners(reads);
    const auto collapsed = collapseWorkerPools(d, processListeners);

    ScanSnapshotMap map(d, myUID);
    map.fillFromInventory(gatherAgentPresenceInventory(reads));
    map.reconcile(collapsed);
    const SnapshotLookup ancestorSnapshot = map.lookupFunction();

    const auto directoryExists = rememberingExistence(d.directoryExists);
    // Listeners and agents both resolve projects against it; it is read once per scan.
    const HomeDirectory home = d.homeDirectory();
    std::unordered_map<ProcessIdentity, ListenerEnrichment::Result> enrichmentByOwner;
    const auto enrichment = enrichListeners(d, collapsed, ancestorSnapshot, directoryExists, home, enrichmentByOwner);

    // The first graph only loads the agents' ancestors into the map, so that the second
    // sees their hosts.
    const AgentProcessGraph warmUp(map.snapshots());
    for (const auto& agent : warmUp.detectedAgents())
        if (const ProcessSnapshot* snapshot = warmUp.snapshot(agent.process))
            ProcessAncestry::nearestHostApp(*snapshot, ancestorSnapshot);

    const AgentProcessGraph graph(map.snapshots());
    auto presence = AgentProcessPresenceBuilder::build(graph, ancestorSnapshot, d.currentWorkingDirectory,
                                                       directoryExists, home, scannedAt);
    std::unordered_map<AgentProcessIdentity, AgentKind> providerByAgent;
    for (const auto& entry : presence) providerByAgent.emplace(entry.identity, entry.provider);

    std::vector<std::optional<std::string>> paths;
    paths.reserve(collapsed.size());
    for (const auto& c : collapsed) paths.push_back(c.representative->snapshot->executablePath);
    const auto systemFlags = d.strongSystemBackgroundFlags(paths);

    ScanResult result;
    result.listeners.reserve(collapsed.size());
    // What a process decides alone, worked out once for all its rows, and the one copy of
    // its snapshot they share. Its port only counts when nothing else is recognised (a
    // well-known port's guess), so the classification is first made without one.
    struct ProcessRows {
        SharedProcessSnapshot snapshot;
        bool knownBackground = false;
        ServiceClassification withoutPort;
    };
    std::unordered_map<const ProcessSnapshot*, ProcessRows> byProcess;
    for (std::size_t i = 0; i < collapsed.size(); ++i) {
        const ProcessSnapshot& p = *collapsed[i].representative->snapshot;
        auto [entry, isNew] = byProcess.try_emplace(&p);
        if (isNew)
            entry->second = {p, KnownBackgroundAppClassifier::isKnownBackground(p),
                               ServiceClassifier::classify(p.name, p.executablePath, -1, p.argv)};
        PortListener listener = makeListener(collapsed[i], entry->second.snapshot);
        // A flag list of the wrong length counts missing flags as unset rather than
        // reading past its end.
        const bool systemBackground = i < systemFlags.size() && systemFlags[i];
        const auto& r = *enrichment[i];
        attachAgent(listener, r, graph, providerByAgent);
        listener.visibility = systemBackground || entry->second.knownBackground
                                  ? VisibilityClass::hiddenSystemBackground
                                  : VisibilityClass::defaultVisible;
        const auto& withoutPort = entry->second.withoutPort;
        listener.classification = withoutPort.confidence != Confidence::unknown
                                      ? withoutPort
                                      : ServiceClassifier::classify(p.name, p.executablePath, listener.port, p.argv);
        listener.host = r.host;
        listener.project = r.project;
        listener.focusTarget = r.focusTarget;
        listener.isInQuaylightSubtree = r.isInQuaylightSubtree;
        result.listeners.push_back(std::move(listener));
    }
    result.agentPresence = AgentProcessPresenceSnapshot{std::move(presence)};
    result.scannedAt = scannedAt;
    result.processCount = static_cast<std::int64_t>(pids.size());
    return result;
}

std::optional<ProcessSnapshot> PortEngine::detectionSnapshot(std::int32_t pid) const {
    return dependencies.detectionSnapshot(pid, dependencies.currentUID());
}

std::optional<PortEngine::LiveProcess> PortEngine::resolveLiveProcess(std::int32_t pid, bool includeArgv) const {
    auto snapshot = includeArgv ? dependencies.liveResolveSnapshotWithArgv(pid) : dependencies.liveResolveSnapshot(pid);
    if (!snapshot) return std::nullopt;
    auto flags = dependencies.strongSystemBackgroundFlags({snapshot->executablePath});
    if (flags.empty()) return std::nullopt;
    return LiveProcess{std::move(*snapshot), flags.front()};
}

bool PortEngine::isInProcessSubtree(const ProcessSnapshot& owner, std::int32_t rootedAt) const {
    return ProcessAncestry::isInSubtree(owner, rootedAt, dependencies.liveResolveSnapshot);
}

std::vector<ProcessIdentity> PortEngine::poolMemberIdentities(const WorkerPoolCollapser::Signals& signals) const {
    const auto& d = dependencies;
    const std::uint32_t uid = d.currentUID();
    const auto pids = d.allPIDs();
    if (pids.empty()) return {};
    auto socketsOf = d.listeningSocketReader();
    ParentIdentityCache parents(d);
    // "Self" is whoever the engine's reads say it is, as for the scan's own subtree test.
    const ProcessSafetyClassifier::Context context{d.currentPID(), uid};
    std::vector<ProcessIdentity> members;
    for (auto pid : pids) {
        auto sockets = socketsOf(pid);
        if (std::none_of(sockets.begin(), sockets.end(), [&](const auto& s) { return s.port == signals.port; }))
            continue;
        auto snapshot = d.enrichedSnapshot(pid, uid, false);
        if (!snapshot) continue;
        if (snapshot->executablePath != signals.executablePath || snapshot->uid != signals.uid) continue;
        if (!snapshot->parentPID || *snapshot->parentPID < 2) continue;
        if (parents(*snapshot->parentPID) != signals.parentIdentity) continue;
        auto endpoints = endpointsOnPort(sockets, signals.port);
        if (BindSignature::make(endpoints).tokens != signals.bindSignature.tokens) continue;
        // Another server of the same parent on another address of the port is no worker.
        if (WorkerPoolCollapser::exactEndpoints(std::move(endpoints)) != signals.endpoints) continue;
        if (ProcessSafetyClassifier::classify(*snapshot, false, false, context).isActionable())
            members.push_back(snapshot->identity);
    }
    return members;
}

}  // namespace quaylight
