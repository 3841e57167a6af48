// A burst of hook events on the GUI thread: N distinct session starts sent from another
// thread as fast as it can post them, the way the hook server hands each envelope over,
// into the application's own view model and panel. Twice: with the panel closed and with
// it open on the Agents tab. Reports the events applied per second, the time until the
// panel shows every session, the GUI thread's CPU time, and how the panel answers meanwhile:
// a second thread posts an event to the GUI thread every 5 ms and times how long it waits
// to be serviced.
//
//   ./build/bench/bench-hook-burst [--events N]

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Quaylight/design/theme/BrandFont.h"
#include "Quaylight/popover/PopoverBinding.h"
#include "Quaylight/popover/PopoverRootView.h"
#include "Quaylight/popover/agents/AgentHostSectionView.h"
#include "Quaylight/popover/agents/AgentListView.h"
#include "Quaylight/shell/defaults/SettingsKeys.h"
#include "Quaylight/shell/viewmodel/FakeRunningApplications.h"
#include "Quaylight/shell/viewmodel/GuiMailbox.h"
#include "Quaylight/shell/viewmodel/QuaylightViewModel.h"
#include "QuaylightKit/engine/PortEngineDependencies.h"
#include "bench/BenchSupport.h"

using namespace quaylight;

namespace {

struct Figures {
    double appliedMs = 0;  // first post to the last event applied to the inventory
    double shownMs = 0;    // first post to the panel's list holding every session
    double guiCpuMs = 0;
    std::vector<double> waits;  // a posted event's wait for the GUI thread, ms
};

std::size_t shownRows(const PopoverRootView& root) { return root.agentList()->rowCount(); }

Figures burst(int events, bool panelOpen) {
    auto defaults = std::make_shared<InMemoryUserDefaults>();
    defaults->set(SettingsKeys::launchAtLoginOfferCompleted, true);
    defaults->set(SettingsKeys::onboardingComplete, true);
    QuaylightViewModel::Dependencies d{defaults, ListenerTerminator(PortEngine(PortEngineDependencies::live()),
                                                                    ProcessSafetyClassifier::Context::current(),
                                                                    ProcessSignaller::live())};
    d.runInBackground = [](QuaylightViewModel::Job job) { job(); };
    d.runningApplications = std::make_shared<FakeRunningApplications>();
    QuaylightViewModel viewModel(std::move(d));
    PopoverBinding::Dependencies e;
    e.viewModel = &viewModel;
    e.defaults = defaults;
    std::unique_ptr<PopoverRootView> owned(PopoverBinding::makeRoot(std::move(e)));
    PopoverRootView* root = owned.get();
    root->resize(PopoverRootView::width, PopoverRootView::height);
    // A first scan has come in (the panel shows its loading page until then).
    ScanFrame frame;
    frame.payload = ScanResult{};
    viewModel.apply(frame);
    viewModel.selectPanelMode(PanelMode::agents);
    if (panelOpen) root->show();
    QApplication::processEvents();

    QObject receiver;
    auto mailbox = GuiMailbox::make(&receiver);
    const auto senderIdentity = ProcessIdentity{static_cast<std::int32_t>(getpid()), 1, 0};
    const AgentInventoryCoordinator::HookOrigin origin{std::nullopt, std::nullopt, senderIdentity};

    Figures figures;
    std::atomic<bool> done{false};
    std::mutex wait;
    QEventLoop loop;
    const double started = bench::wallMillis();
    const double cpuStarted = bench::cpuMillis();

    // Checked after the binding has drawn each publication: its own refresh is queued first.
    QObject::connect(&viewModel, &QuaylightViewModel::inventoryChanged, &receiver, [&] {
        if (figures.appliedMs == 0 && viewModel.inventory().snapshot().sessions.size() == std::size_t(events))
            figures.appliedMs = bench::wallMillis() - started;
        QTimer::singleShot(0, &receiver, [&] {
            if (figures.shownMs != 0 || shownRows(*root) != std::size_t(events)) return;
            figures.shownMs = bench::wallMillis() - started;
            figures.guiCpuMs = bench::cpuMillis() - cpuStarted;
            loop.quit();
        });
    });

    std::thread sender([&] {
        for (int i = 0; i < events; ++i) {
            AgentHookProtocol::Envelope envelope;
            envelope.provider = i % 2 == 0 ? AgentKind::claude : AgentKind::codex;
            envelope.event = AgentHookProtocol::EventKind::sessionStart;
            envelope.sessionID = "burst-session-" + std::to_string(i);
            envelope.projectName = "project-" + std::to_string(i % 13);
            const WallTime receivedAt = wallNow();
            mailbox->post([&viewModel, envelope, origin, receivedAt] {
                viewModel.inventory().applyHookEnvelope(envelope, origin, receivedAt);
            });
        }
    });
    std::thread probe([&] {
        while (!done) {
            const double posted = bench::wallMillis();
            mailbox->post([&, posted] {
                std::lock_guard lock(wait);
                figures.waits.push_back(bench::wallMillis() - posted);
            });
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    loop.exec();
    done = true;
    sender.join();
    probe.join();
    QApplication::processEvents();
    mailbox->close();
    return figures;
}

void report(const char* name, int events, const Figures& f) {
    std::printf("%s: %d session starts applied in %.0f ms (%.0f events/s), shown in %.0f ms, GUI thread CPU %.0f ms\n",
                name, events, f.appliedMs, events / (f.appliedMs / 1000.0), f.shownMs, f.guiCpuMs);
    if (!f.waits.empty())
        std::printf("  a posted event waited: median %.2f ms, p95 %.2f ms, max %.2f ms (%zu probes)\n",
                    bench::percentile(f.waits, 0.5), bench::percentile(f.waits, 0.95),
                    bench::percentile(f.waits, 1.0), f.waits.size());
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const int events = bench::countOption(argc, argv, "--events", 2000);
    QApplication app(argc, argv);
    BrandFont::registerBundledFonts();
    report("panel closed", events, burst(events, false));
    report("panel open on the Agents tab", events, burst(events, true));
    return 0;
}
