#pragma once
// The value state behind the agent inventory. It folds three kinds of input into one set
// of agent sessions: hook events the agents send themselves, agent processes seen by port
// scans, and the activity tracker's facts; it ages what has gone quiet and builds the
// published snapshot. No input or output, no clock: every operation is given its time.
//
// A hook session is keyed on the agent's own session identifier, a process session on the
// agent process. When both describe one agent run, the hook session wins: while a hook
// session is mapped to a process, that process's own session is not listed, and once the
// hook session ends the process stays hidden (a fallback suppression) so that it does not
// finish a second time. Each agent process has one presented provider, shared by its
// process session and every hook session mapped to it.

#include <chrono>
#include <compare>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "ProcessCoreKit/ancestry/ProcessAncestryFacts.h"
#include "ProcessCoreKit/records/AgentProcessIdentity.h"
#include "ProcessCoreKit/support/Time.h"
#include "Quaylight/agent-hooks/connections/AgentProviderConnection.h"
#include "Quaylight/agent-hooks/protocol/AgentHookProtocol.h"
#include "Quaylight/agent-inventory/model/AgentCompletionEdge.h"
#include "Quaylight/agent-inventory/model/AgentInventorySnapshot.h"
#include "Quaylight/agent-inventory/model/AgentTrackingUpdateFacts.h"
#include "QuaylightKit/listener/ScanResult.h"

namespace quaylight {

// Provider, PID, start time: a total order of agent processes, so that every walk over
// the reducer's maps (and with it the order of finishes in one input) is repeatable.
struct AgentProcessOrder {
    bool operator()(const AgentProcessIdentity& a, const AgentProcessIdentity& b) const {
        return agentOrderLess(a, b);
    }
};

template <class Value>
using AgentProcessMap = std::map<AgentProcessIdentity, Value, AgentProcessOrder>;

class AgentInventoryReducer {
public:
    using HostAppOccurrence = ProcessAncestryFacts::HostAppOccurrence;

    // Where a hook came from, as resolved from the hook's parent process: the agent process
    // above it, the host app, and the process that ran the hook command.
    struct HookOrigin {
        std::optional<AgentProcessIdentity> agentProcess;
        std::optional<HostAppOccurrence> host;
        std::optional<ProcessIdentity> runtime;  // used only for sessions without an agent process
        friend bool operator==(const HookOrigin&, const HookOrigin&) = default;
    };

    // Listening sockets attributed to each agent process by one scan.
    using RelatedListeners = AgentProcessMap<ListenerIdentitySet>;
    // Whether a hook session's runtime process is still the very same live process.
    using RuntimeCurrentTest = std::function<bool(const ProcessIdentity&)>;
    using PresentedProviders = std::unordered_map<AgentProcessIdentity, AgentKind>;

    static constexpr Microseconds finishedWindow = std::chrono::seconds(30);
    static constexpr Microseconds staleWindow = std::chrono::seconds(43'200);
    static constexpr Microseconds orphanWindow = std::chrono::seconds(86'400);
    static constexpr Microseconds minimumScanContinuityWindow = std::chrono::seconds(10);
    static constexpr std::string_view staleDetail = "No provider events for a while — state unknown.";

    // Two successful scans at most this far apart are continuous: a process missing from
    // the second one has just finished. Scans come one interval plus one scan's duration
    // apart, so the window allows a whole second interval, and never less than 10 s.
    static Microseconds scanContinuityWindow(Microseconds scanInterval);

    // ---- Inputs. Each first expires what has run out at `at`.

    // One hook envelope received at `at`; connection tests change nothing.
    void applyHookEvent(const AgentHookProtocol::Envelope& envelope, const HookOrigin& origin, WallTime at);
    // One successful scan taken at `observedAt` (else `at`).
    void applyPanelScan(const AgentProcessPresenceSnapshot& presence, const RelatedListeners& relatedListeners,
                        const RuntimeCurrentTest& runtimeCurrent, std::optional<WallTime> observedAt, WallTime at);
    // A failed scan: the inventory becomes stale; the captured time never moves back.
    void applyScanFailure(WallTime at);
    // One tracking update observed at `observedAt` (else `at`).
    void applyPresentedTrackingUpdate(const std::vector<AgentTrackingUpdateFacts::Counted>& counted,
                                      const std::vector<AgentTrackingUpdateFacts::Finished>& finished,
                                      const std::unordered_map<AgentProcessIdentity, HostAppKind>& currentHosts,
                                      std::optional<WallTime> observedAt, WallTime at);
    // The provider's hooks were removed: its hook sessions go without a finish.
    void providerDisconnected(AgentKind provider, WallTime at);
    void expireTransients(WallTime now);

    // The window of scan continuity from now on; at least minimumScanContinuityWindow.
    void setScanContinuityWindow(Microseconds window);

    // ---- Outputs.

    // The earliest time at which expireTransients would change something; after
    // expireTransients(now) it is always later than now.
    std::optional<WallTime> nextTransientDeadline() const;
    AgentInventorySnapshot snapshot(const std::vector<AgentProviderConnection>& connections) const;
    const std::vector<AgentCompletionEdge>& pendingCompletionEdges() const { return pendingCompletionEdges_; }
    // Hands the completion edges made since the last call to the caller, in order.
    std::vector<AgentCompletionEdge> takePendingCompletionEdges();
    // The provider each known agent process is presented as, for the listener rows.
    PresentedProviders presentedProviderEvidence() const;
    // The runtimes of hook sessions without an agent process, for a scan to probe.
    std::vector<ProcessIdentity> hookRuntimeProbeIdentities() const;

    // Makes the next snapshot build every session afresh. Scans, tracking updates and a
    // provider's removal do so themselves; hook events and ageing rebuild what they touched.
    void republishAll() { republishAll_ = true; }

    std::optional<WallTime> lastSuccessfulScanAt() const { return lastSuccessfulScanAt_; }
    bool scanIsStale() const { return scanIsStale_; }
    WallTime capturedAt() const { return capturedAt_; }
    Microseconds scanContinuityWindow() const { return scanContinuityWindow_; }

private:
    struct HookKey {
        AgentKind provider = AgentKind::codex;
        std::string sessionID;
        friend auto operator<=>(const HookKey&, const HookKey&) = default;
    };

    struct HookRecord {
        AgentKind provider = AgentKind::codex;           // named by the events
        AgentKind presentedProvider = AgentKind::codex;  // shown
        std::string sessionID;
        AgentSessionState state = AgentSessionState::detected;
        std::optional<std::string> stateDetail;
        std::optional<HostAppOccurrence> host;
        std::optional<std::string> projectName;
        std::optional<AgentProcessIdentity> agentProcess;
        std::optional<ProcessIdentity> runtime;
        WallTime firstEventAt;
        WallTime lastEventAt;
        bool staleEvidence = false;       // downgraded for lack of events
        bool wasAmbientEligible = false;  // sticky: may produce a completion
    };

    struct ProcessRecord {
        AgentProcessPresence presence;
        AgentKind provider = AgentKind::codex;  // presented
        ListenerIdentitySet relatedListenerIDs;
        WallTime lastSeenAt;
        bool scanObserved = false;  // a scan saw it, so its listeners are known
        bool wasAmbientEligible = false;
    };

    // Where a session stands in the published order: by stableID; a live session before a
    // finished row of the same id; finished rows in the order they finished.
    struct RowSlot {
        std::string stableID;
        int group = 0;               // 0: process session, 1: hook session, 2: finished row
        std::uint64_t sequence = 0;  // finished rows
        std::optional<AgentProcessIdentity> process;
        std::optional<HookKey> hook;
        bool operator<(const RowSlot& other) const;
    };

    struct FinishedRecord {
        AgentSessionList::Shared session;
        WallTime expiresAt;
        RowSlot slot;
    };

    struct ProcessFallbackSuppression {
        std::set<AgentKind> sourceProviders;
        WallTime changedAt;
    };

    struct ProviderPresentationEvidence {
        AgentKind provider = AgentKind::codex;
        WallTime observedAt;
        bool isAuthoritative = false;  // derived from a host app
        std::optional<HostAppKind> hostKind;
    };


    // Provider presentation.
    AgentKind reconcileProviderPresentation(const AgentProcessIdentity& id, std::optional<HostAppKind> host,
                                            std::optional<AgentKind> fallback, WallTime observedAt);
    void refreshMappedHookPresentation(const AgentProcessIdentity& id, AgentKind provider);
    void refreshMappedHookPresentation();
    std::optional<AgentKind> evidenceProvider(const AgentProcessIdentity& id) const;
    std::optional<HostAppKind> evidenceHostKind(const AgentProcessIdentity& id) const;
    std::optional<AgentKind> knownProvider(const AgentProcessIdentity& id) const;
    // Clears a host that disagrees with the host kind the evidence names.
    static void keepHostMatching(std::optional<HostAppOccurrence>& host, std::optional<HostAppKind> evidenceHost);

    // Hook sessions. Every change of a live hook record's presence, process or deadlines goes
    // through these two, which keep the process index, the deadlines and the published rows.
    void storeHook(const HookKey& key, HookRecord record);
    std::map<HookKey, HookRecord>::iterator eraseHook(std::map<HookKey, HookRecord>::iterator it);
    int mappedSessionCount(const AgentProcessIdentity& id) const;
    bool hookEligibility(const HookRecord& record) const;
    AgentSessionState effectiveHookState(const HookRecord& record) const;
    bool hasHookMappedTo(const AgentProcessIdentity& id) const;
    // The steps of a panel scan, in the order applyPanelScan takes them.
    using ProcessSet = std::set<AgentProcessIdentity, AgentProcessOrder>;
    void forgetUnseenEvidence(const ProcessSet& seen, WallTime scanTime);
    ProcessRecord scannedProcessRecord(const AgentProcessPresence& entry, const ProcessRecord* previous,
                                       const RelatedListeners& relatedListeners, WallTime scanTime);
    static void keepListenerOnlyProcesses(AgentProcessMap<ProcessRecord>& fresh,
                                          const AgentProcessMap<ProcessRecord>& old,
                                          const RelatedListeners& relatedListeners, WallTime scanTime);
    static std::vector<std::pair<AgentProcessIdentity, ProcessRecord>> keepLaterNewsAndCollectVanished(
        AgentProcessMap<ProcessRecord>& fresh, const AgentProcessMap<ProcessRecord>& old, WallTime scanTime);
    void finishVanishedProcesses(const std::vector<std::pair<AgentProcessIdentity, ProcessRecord>>& vanished,
                                 const ProcessSet& suppressedBefore, bool continuous, WallTime at);
    void endHookSessionsTheScanOutlived(const RuntimeCurrentTest& runtimeCurrent, bool continuous, WallTime scanTime,
                                        WallTime at);

    // The steps of a tracking update: each counted run, then each finished one.
    void applyCountedRun(const AgentProcessIdentity& id, AgentKind provider, bool isActive,
                         std::optional<HostAppKind> currentHost, WallTime observationTime);
    // Whether a scan, a hook event or a suppression told of `id` after `observationTime`.
    bool hasNewsAfter(const AgentProcessIdentity& id, WallTime observationTime) const;
    void applyFinishedRun(const AgentProcessIdentity& id, AgentKind reportedProvider, WallTime observationTime,
                          WallTime at);

    // The steps of a hook event, in the order applyHookEvent takes them.
    bool isLateEventOfEndedSession(const HookKey& key, AgentHookProtocol::EventKind event);
    std::optional<AgentProcessIdentity> originAgentFor(const HookOrigin& origin, AgentKind provider) const;
    void liftProcessFallbackSuppression(const AgentProcessIdentity& agent, AgentKind provider, WallTime at);
    AgentKind presentedHookProvider(AgentKind provider, const std::optional<AgentProcessIdentity>& agent,
                                    const HookOrigin& origin, const HookRecord* previous, WallTime at);
    static HookRecord newHookRecord(const AgentHookProtocol::Envelope& envelope, const HookOrigin& origin,
                                    const std::optional<AgentProcessIdentity>& agent, WallTime at);
    void takeOriginEvidence(HookRecord& record, const std::optional<AgentProcessIdentity>& agent,
                            const HookOrigin& origin, AgentKind presented, WallTime at);
    void endHookSessionByEvent(const HookKey& key, HookRecord record, WallTime at);
    // Removes a live hook session and marks its key ended; when `mayFinish` and the
    // session was eligible, leaves a finished row and a completion edge.
    void endHookSession(const HookKey& key, WallTime at, bool mayFinish);

    // Finishes.
    void finishProcessSession(const ProcessRecord& record, const AgentProcessIdentity& id, WallTime at);
    void appendFinished(AgentSessionSnapshot session, WallTime at);

    AgentSessionSnapshot processSessionSnapshot(const ProcessRecord& record, const AgentProcessIdentity& id) const;
    AgentSessionSnapshot hookSessionSnapshot(const HookRecord& record) const;

    // Deadlines and published rows kept between inputs, so that an input costs what it changes.
    static std::vector<WallTime> hookDeadlines(const HookRecord& record);
    void addDeadlines(const std::vector<WallTime>& deadlines);
    void removeDeadlines(const std::vector<WallTime>& deadlines);
    void noteHookChanged(const HookKey& key, const HookRecord& record);
    void refreshPublished() const;
    static RowSlot processSlot(const AgentProcessIdentity& id);
    static RowSlot hookSlot(const HookKey& key);

    bool isContinuousScan(WallTime scanTime) const;
    void noteInputTime(WallTime time) { capturedAt_ = std::max(capturedAt_, time); }

    AgentProcessMap<ProcessRecord> processRecords_;
    std::map<HookKey, HookRecord> hookRecords_;
    std::vector<FinishedRecord> finishedRecords_;
    std::map<HookKey, WallTime> terminatedGenerations_;
    AgentProcessMap<std::set<HookKey>> hooksByProcess_;  // the live hook sessions mapped to each process
    std::multiset<WallTime> deadlines_;                   // every transient deadline, as nextTransientDeadline sees them
    std::uint64_t finishedSequence_ = 0;
    mutable std::map<RowSlot, AgentSessionList::Shared> published_;
    mutable bool republishAll_ = false;
    mutable std::set<HookKey> changedHooks_;
    mutable std::set<AgentProcessIdentity, AgentProcessOrder> changedProcesses_;
    AgentProcessMap<ProcessFallbackSuppression> suppressedProcessFallbacks_;
    AgentProcessMap<ProviderPresentationEvidence> providerPresentationEvidence_;
    std::vector<AgentCompletionEdge> pendingCompletionEdges_;
    AgentProcessMap<bool> trackedActivity_;  // true: active, false: idle
    std::optional<WallTime> lastSuccessfulScanAt_;
    bool scanIsStale_ = false;
    WallTime capturedAt_ = distantPast;  // the newest input time seen
    Microseconds scanContinuityWindow_ = minimumScanContinuityWindow;
};

}  // namespace quaylight
