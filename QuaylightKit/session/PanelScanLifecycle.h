#pragma once
// Runs the port scan session exactly while the panel shows its listener list: a fresh
// PortScanSession (fresh activity history, configuration read anew) each time scanning
// starts, consumed off the owner's thread, with every frame handed to the owner on its
// thread (see LoopLifecycle).
//
// Each frame goes, in order and one at a time, first to `ingest` as scanned, then (when
// the scan succeeded) through the provider presentation fold with the application's
// evidence, then to `deliver`. A frame whose evidence arrives after scanning stopped or
// restarted is never delivered; `ingest` may already have seen it.
//
// Use it from the owner's thread only; every callback is called there.

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

#include "ProcessCoreKit/concurrency/LoopLifecycle.h"
#include "ProcessCoreKit/records/BatteryMode.h"
#include "QuaylightKit/list/DefaultFilterSetting.h"
#include "QuaylightKit/list/FilterCategory.h"
#include "QuaylightKit/session/AgentProviderPresentationFold.h"
#include "QuaylightKit/session/PortScanSession.h"

namespace quaylight {

// Read anew each time scanning starts.
struct PanelScanConfiguration {
    std::optional<DefaultFilterSetting> defaultFilter;
    std::optional<FilterCategory> lastUsedFilter;
    std::function<BatteryMode()> batteryMode;  // asked before every pause
};

// What the panel shows; only the listener list lets scanning run.
struct OnboardingPresentation {
    enum class Surface { welcome, launchAtLoginOffer, walkthrough, listenerList };
    Surface surface = Surface::listenerList;
};

// LoopStarted, a ScanFrame, or LoopStopped.
using PanelScanLifecycleEvent = LoopLifecycleEvent<ScanFrame>;

class PanelScanLifecycle {
public:
    using Event = PanelScanLifecycleEvent;
    using SessionFactory = std::function<std::shared_ptr<PortScanSession>(const PanelScanConfiguration&)>;
    using EvidenceReply = std::function<void(PresentedProviders)>;

    struct Dependencies {
        std::function<PanelScanConfiguration()> configuration;
        SessionFactory makeSession;
        // Sees every frame of the current session as scanned, before anything else.
        std::function<void(const ScanFrame&)> ingest;
        // For each agent process, the provider the application presents it under now. Asked
        // for each successful frame; answers by calling the reply on the owner's thread, at
        // once or later (for example once the inventory applied the frame). Unset: none.
        std::function<void(EvidenceReply)> presentedProviderEvidence;
        std::function<void(Event)> deliver;
        // Queues a closure for the owner's thread and returns without running it.
        std::function<void(std::function<void()>)> postToOwner;
    };

    // Sessions over a new live PortEngine each, reading argument vectors, on `pool`.
    static SessionFactory liveSessions(std::shared_ptr<WorkerPool> pool, std::function<bool()> isLowPowerModeEnabled);

    explicit PanelScanLifecycle(Dependencies dependencies);
    PanelScanLifecycle(const PanelScanLifecycle&) = delete;
    PanelScanLifecycle& operator=(const PanelScanLifecycle&) = delete;

    // Starts scanning (delivers LoopStarted) when the panel is shown on its listener list
    // and nothing runs yet; in every other case does what stop() does.
    void synchronize(bool panelShown, OnboardingPresentation presentation);
    // Asks the running session for a scan now; nothing while idle.
    void poke();
    // Ends the running session and delivers LoopStopped once; nothing while idle.
    void stop();

    const std::shared_ptr<PortScanSession>& currentSession() const { return loop_.currentSession(); }
    bool isRunning() const { return loop_.isRunning(); }

private:
    struct Core;
    static void handle(const std::shared_ptr<Core>& core, Event event);
    static void drain(const std::shared_ptr<Core>& core);

    std::shared_ptr<Core> core_;
    LoopLifecycle<PortScanSession> loop_;
};

}  // namespace quaylight
