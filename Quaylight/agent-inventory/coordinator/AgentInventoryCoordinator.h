#pragma once
// The one writer of agent state. Every input (a scan, a failed scan, a hook envelope, a
// tracking update, new provider connections, a provider's disconnection, the passing of a
// deadline) goes on one lane and is applied strictly in the order it came, one at a time,
// through the reducer, even while an earlier input waits for work off the main thread.
// After each applied input the coordinator publishes the snapshot, hands out the
// completion edges the input made, tells its owner, and re-arms its one expiry timer.
//
// Lives on the main thread: every member is called there, and every callback is called
// there. Work it queues (lane turns, probe results, timers) holds it weakly, so queued
// work of a destroyed coordinator ends quietly.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "ProcessCoreKit/ancestry/ProcessAncestry.h"
#include "Quaylight/agent-inventory/coordinator/CodexDaemonHooks.h"
#include "Quaylight/agent-inventory/coordinator/MainExecutor.h"
#include "Quaylight/agent-inventory/reducer/AgentInventoryReducer.h"

namespace quaylight {

class AgentInventoryCoordinator {
public:
    using HookOrigin = AgentInventoryReducer::HookOrigin;
    using Task = std::function<void()>;
    using ObserverID = std::uint64_t;

    struct Dependencies {
        // The main thread and its timers.
        std::shared_ptr<MainExecutor> executor;
        std::function<WallTime()> now = wallNow;
        // Whether that very process still runs; called off the main thread.
        std::function<bool(const ProcessIdentity&)> isProcessCurrent = isLiveProcessCurrent;
        // Runs a scan's liveness probes away from the main thread (at utility priority in
        // the application); runs them at once when unset.
        std::function<void(Task)> runInBackground;

        // Reads the live process of the identity's PID and compares the whole identity.
        static bool isLiveProcessCurrent(const ProcessIdentity& identity);
    };

    explicit AgentInventoryCoordinator(Dependencies dependencies);
    ~AgentInventoryCoordinator();
    AgentInventoryCoordinator(const AgentInventoryCoordinator&) = delete;
    AgentInventoryCoordinator& operator=(const AgentInventoryCoordinator&) = delete;

    // ---- Published state, in this order after every applied input: the snapshot (and its
    // observers), the completion edges when there are any, then onSnapshotPublished.

    const AgentInventorySnapshot& snapshot() const { return snapshot_; }
    ObserverID addSnapshotObserver(std::function<void(const AgentInventorySnapshot&)> observer);
    void removeSnapshotObserver(ObserverID id);
    std::function<void(const std::vector<AgentCompletionEdge>&)> onCompletionEdges;
    std::function<void()> onSnapshotPublished;

    // ---- Inputs. Each returns at once; its effect comes later, in the order of the calls.

    // A successful scan. Before it applies, the runtimes that hook sessions without an agent
    // process depend on, and the host apps of listed sessions the scan did not see, are
    // probed off the main thread; the lane waits for the answers.
    void applyScan(const ScanResult& result);
    void applyScanFailure();
    void applyHookEnvelope(const AgentHookProtocol::Envelope& envelope, const HookOrigin& origin,
                           WallTime receivedAt);
    void applyTrackingUpdate(AgentTrackingUpdateFacts facts);
    void setProviderConnections(std::vector<AgentProviderConnection> connections);
    void providerDisconnected(AgentKind provider);
    // Scans enqueued after this call count as continuous within `window` of the last one
    // (at least 10 s); set it from the scan interval with
    // AgentInventoryReducer::scanContinuityWindow(interval). Publishes nothing.
    void setScanContinuityWindow(Microseconds window);

    // Calls `callback` on the main thread once every input enqueued before this call has
    // applied or been dropped. It is called also when the coordinator is shut down before
    // its turn; only a coordinator destroyed before its turn drops it.
    void afterQueuedUpdates(std::function<void()> callback);
    // Whether inputs wait behind the one applying now: an observer of a publication redraws
    // once after a burst rather than once per input.
    bool hasQueuedInputs() const { return !lane_.empty(); }
    // The provider each agent process is presented as, as of the inputs applied so far.
    AgentInventoryReducer::PresentedProviders presentedProviderEvidence() const {
        return reducer_.presentedProviderEvidence();
    }
    const AgentInventoryReducer& reducer() const { return reducer_; }

    // Cancels the expiry timer and drops every input not yet applied (an input enqueued
    // later applies as usual). Called once when the application terminates.
    void shutDown();
    // Arms the expiry timer for the reducer's next deadline, replacing the armed one.
    void rescheduleExpiry();

    // ---- Where a hook came from. Callable from any thread; no coordinator state.

    // Walks up at most 8 parents of the hook's parent process, reading live processes. A
    // hook that Codex's shared daemon ran goes to the Codex session of its project
    // (`projectName`, as the hook reported it), never to the daemon (CodexDaemonHooks).
    static HookOrigin liveHookOrigin(std::int32_t parentPID, const std::optional<std::string>& projectName = {});
    // The same walk reading processes through `readSnapshot`, and Codex's sessions through
    // `codexSessions` (none when unset).
    static HookOrigin liveHookOrigin(std::int32_t parentPID, const SnapshotLookup& readSnapshot,
                                     const std::optional<std::string>& projectName = {},
                                     const CodexDaemonHooks::SessionsLookup& codexSessions = {});
    // The agent process (the top of its agent session) and host app above `start`, with
    // `start` itself as the runtime; `chain` holds `start` and the ancestors read.
    static HookOrigin hookOrigin(const ProcessSnapshot& start, const std::map<std::int32_t, ProcessSnapshot>& chain);

private:
    struct LaneItem {
        std::int64_t generation = 0;
        bool runsAfterShutDown = false;
        // Ends by calling finishLaneOperation(), at once or later.
        std::function<void()> operation;
    };

    struct QueuedScan {
        AgentProcessPresenceSnapshot presence;
        AgentInventoryReducer::RelatedListeners relatedListeners;
        WallTime scannedAt;
    };

    void enqueue(std::function<void()> operation, bool runsAfterShutDown = false);
    // Applies an input at its turn and publishes.
    void enqueueUpdate(std::function<void()> update);
    void scheduleLaneTurn();
    void laneTurn();
    void finishLaneOperation();

    void probeAndApplyScan(QueuedScan scan, std::int64_t generation);
    void applyProbedScan(const QueuedScan& scan, const std::map<ProcessIdentity, bool>& answers,
                         std::int64_t generation);
    void clockExpiry(std::int64_t generation);
    void publish();

    Dependencies dependencies_;
    AgentInventorySnapshot snapshot_ = AgentInventorySnapshot::empty();
    AgentInventoryReducer reducer_;
    std::optional<MainExecutor::TimerID> expiryTimer_;
    std::int64_t expiryGeneration_ = 0;
    std::vector<AgentProviderConnection> connections_;
    // The host apps the last scan's probes found gone; published for the listed ones.
    std::set<ProcessIdentity> exitedHosts_;
    std::deque<LaneItem> lane_;
    bool laneBusy_ = false;
    bool laneTurnPosted_ = false;
    std::int64_t laneGeneration_ = 0;
    std::map<ObserverID, std::function<void(const AgentInventorySnapshot&)>> observers_;
    ObserverID nextObserver_ = 1;
    // Queued work holds this weakly and finds the coordinator through it while it lives.
    std::shared_ptr<AgentInventoryCoordinator*> alive_;
};

}  // namespace quaylight
