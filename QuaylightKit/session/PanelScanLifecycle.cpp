#include "QuaylightKit/session/PanelScanLifecycle.h"

namespace quaylight {

struct PanelScanLifecycle::Core {
    Dependencies dependencies;
    AgentProviderPresentationFold providerPresentation;  // outlives sessions
    std::deque<ScanFrame> waiting;                       // frames behind the one whose evidence is awaited
    std::uint64_t awaitedReply = 0;                      // the evidence request now awaited; 0: none
    std::uint64_t lastRequest = 0;
    std::uint64_t run = 0;  // changes at every start and stop
};

PanelScanLifecycle::SessionFactory PanelScanLifecycle::liveSessions(std::shared_ptr<WorkerPool> pool,
                                                                    std::function<bool()> isLowPowerModeEnabled) {
    return [pool = std::move(pool), lowPower = std::move(isLowPowerModeEnabled)](const PanelScanConfiguration& c) {
        return PortScanSession::make(PortEngine(PortEngineDependencies::liveForRepeatedScans()), c.defaultFilter, c.lastUsedFilter, pool, lowPower, c.batteryMode);
    };
}

PanelScanLifecycle::PanelScanLifecycle(Dependencies dependencies)
    : core_(std::make_shared<Core>(Core{std::move(dependencies), {}, {}, 0, 0, 0})),
      loop_(LoopLifecycle<PortScanSession>::Dependencies{
          [core = core_.get()] { return core->dependencies.makeSession(core->dependencies.configuration()); },
          [weak = std::weak_ptr<Core>(core_)](Event event) {
              if (auto core = weak.lock()) handle(core, std::move(event));
          },
          core_->dependencies.postToOwner,
      }) {}

void PanelScanLifecycle::synchronize(bool panelShown, OnboardingPresentation presentation) {
    if (panelShown && presentation.surface == OnboardingPresentation::Surface::listenerList)
        loop_.activateIfNeeded();
    else
        loop_.stop();
}

void PanelScanLifecycle::poke() {
    if (const auto& session = loop_.currentSession()) session->poke();
}

void PanelScanLifecycle::stop() { loop_.stop(); }

void PanelScanLifecycle::handle(const std::shared_ptr<Core>& core, Event event) {
    if (auto* frame = std::get_if<ScanFrame>(&event)) {
        core->waiting.push_back(std::move(*frame));
        drain(core);
        return;
    }
    // A start or a stop: frames of the run before are never delivered.
    ++core->run;
    core->waiting.clear();
    core->awaitedReply = 0;
    core->dependencies.deliver(std::move(event));
}

void PanelScanLifecycle::drain(const std::shared_ptr<Core>& core) {
    auto& d = core->dependencies;
    while (core->awaitedReply == 0 && !core->waiting.empty()) {
        const auto run = core->run;
        ScanFrame frame = std::move(core->waiting.front());
        core->waiting.pop_front();
        if (d.ingest) d.ingest(frame);
        if (core->run != run) return;  // ingest stopped scanning
        if (!frame.scanned() || !d.presentedProviderEvidence) {
            if (frame.scanned())
                *frame.scanned() = core->providerPresentation.reconcile(std::move(*frame.scanned()), PresentedProviders{});
            d.deliver(std::move(frame));
            continue;
        }
        // Only the reply to this very request counts: a late or repeated reply of an
        // earlier request, or of a run that has stopped since, finds another number.
        const auto request = core->awaitedReply = ++core->lastRequest;
        d.presentedProviderEvidence([weak = std::weak_ptr<Core>(core), run, request,
                                     frame = std::move(frame)](PresentedProviders evidence) mutable {
            auto alive = weak.lock();
            if (!alive || alive->awaitedReply != request) return;
            alive->awaitedReply = 0;
            *frame.scanned() = alive->providerPresentation.reconcile(std::move(*frame.scanned()), evidence);
            alive->dependencies.deliver(std::move(frame));
            if (alive->run == run) drain(alive);
        });
    }
}

}  // namespace quaylight
