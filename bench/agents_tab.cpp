// The Agents tab under a stream of inventory snapshots: 100 sessions in 10 host sections.
// First the time to build it, then snapshots where a few sessions change state, applied to
// the shown view (list model, section and row texts, changed rows, layout), on one core.
// Then ten seconds of unchanged snapshots: nothing may paint except what the elapsed-label
// timer changes (sessions here are over a minute old, so at most one minute boundary).
// Last, a crowded machine: 2,000 sessions in the same 10 sections, built once, then
// snapshots with changes, then the list scrolled through a page at a time.
//
//   ./build/bench/bench-agents-tab [--frames N] [--crowd-frames N]

#include <sched.h>

#include <QApplication>
#include <QEventLoop>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include "Quaylight/design/theme/BrandFont.h"
#include "Quaylight/popover/agents/AgentHostSectionView.h"
#include "Quaylight/popover/agents/AgentListView.h"
#include "Quaylight/popover/agents/AgentRowView.h"
#include "Quaylight/popover/agents/FakeHostIconProvider.h"
#include "bench/BenchSupport.h"

using namespace quaylight;

namespace {

const WallTime kNow = wallTimeFromMicroseconds(std::int64_t{1'780'000'000} * 1'000'000);
constexpr HostAppKind kHosts[] = {HostAppKind::terminal, HostAppKind::iterm2,  HostAppKind::warp,
                                  HostAppKind::ghostty,  HostAppKind::wezterm, HostAppKind::alacritty,
                                  HostAppKind::vscode,   HostAppKind::cursor,  HostAppKind::chatgpt,
                                  HostAppKind::claudeDesktop};

AgentSessionSnapshot session(int i, int round) {
    AgentSessionSnapshot s;
    const auto provider = i % 2 == 0 ? AgentKind::codex : AgentKind::claude;
    const AgentProcessIdentity identity{{20'000 + i, static_cast<std::uint64_t>(1'779'990'000 - i), 0}, provider};
    s.id = AgentSessionID::process(identity);
    s.provider = provider;
    // A few sessions change state from one round to the next.
    const int states = 4;
    s.state = static_cast<AgentSessionState>((i + (i % 10 == 0 ? round : 0)) % states);
    s.processIdentity = identity;
    s.executionLocation = AgentExecutionLocation::local();
    s.projectName = "project-" + std::to_string(i % 13);
    s.startedAt = kNow - std::chrono::seconds(120 + i * 37);
    s.lastEventAt = kNow - std::chrono::seconds(i);
    const HostAppKind host = kHosts[i % 10];
    s.controlSurface = AgentHostDescriptor{host, std::string(displayName(host)), {30'000 + i % 10, 1, 0}};
    return s;
}

AgentListInputs inputs(int round, int sessions = 100) {
    AgentInventorySnapshot snapshot;
    for (int i = 0; i < sessions; ++i) snapshot.sessions.push_back(session(i, round));
    snapshot.freshness = InventoryFreshness::live();
    AgentListInputs in;
    in.model = AgentInventoryListModel::build(snapshot, AgentProviderFilter::all, {});
    in.freshness = snapshot.freshness;
    in.now = kNow;
    in.stopAvailabilityByID = snapshot.stopAvailabilityByID();
    return in;
}

int paints(const AgentListView& view) {
    int total = 0;
    for (const auto& id : view.sectionOrder()) {
        const auto* section = view.section(id);
        total += section->paintCount();
        for (const auto* row : section->rows()) total += row->paintCount();
    }
    return total;
}

int rowWidgets(const AgentListView& view) { return static_cast<int>(view.findChildren<AgentRowView*>().size()); }

// Applies each snapshot and returns the CPU time each took up to its layout (paints, which
// follow, not counted).
std::vector<double> timeSnapshots(AgentListView& view, const std::vector<AgentListInputs>& rounds) {
    std::vector<double> times;
    for (const auto& in : rounds) {
        const double started = bench::cpuMillis();
        view.apply(in);
        QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        times.push_back(bench::cpuMillis() - started);
        QApplication::processEvents();
    }
    return times;
}

// A fresh view for `sessions` sessions: the first build, then snapshots with changes, then
// the list scrolled from top to bottom a page at a time (each step with its paint).
void crowd(int sessions, int frames, const std::function<WallTime()>& clock) {
    AgentListView view({}, clock, std::make_shared<FakeHostIconProvider>());
    view.resize(700, 380);
    view.show();
    QApplication::processEvents();
    double started = bench::cpuMillis();
    view.apply(inputs(0, sessions));
    QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QApplication::processEvents();
    std::printf("first build of %d sessions in %zu sections: %.2f ms (CPU, with first paint); %d row widgets\n",
                sessions, view.sectionOrder().size(), bench::cpuMillis() - started, rowWidgets(view));

    std::vector<AgentListInputs> rounds;
    for (int r = 1; r <= frames; ++r) rounds.push_back(inputs(r, sessions));
    const std::vector<double> times = timeSnapshots(view, rounds);
    std::printf("%d sessions, snapshot with %d changing state, %d snapshots: median %.2f ms, p95 %.2f ms, "
                "max %.2f ms\n",
                sessions, sessions / 10, frames, bench::percentile(times, 0.5), bench::percentile(times, 0.95),
                bench::percentile(times, 1.0));

    auto* bar = view.scrollArea()->verticalScrollBar();
    std::vector<double> steps;
    for (int value = 0; value < bar->maximum();) {
        value = std::min(bar->maximum(), value + bar->pageStep());
        started = bench::cpuMillis();
        bar->setValue(value);
        QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QApplication::processEvents();
        steps.push_back(bench::cpuMillis() - started);
    }
    std::printf("%d sessions, scrolled a page at a time, %zu pages: median %.2f ms, p95 %.2f ms, max %.2f ms "
                "(CPU, with paint); %d row widgets at the end\n",
                sessions, steps.size(), bench::percentile(steps, 0.5), bench::percentile(steps, 0.95),
                bench::percentile(steps, 1.0), rowWidgets(view));
}

}  // namespace

int main(int argc, char** argv) {
    bench::pinToOneCore();
    const int frames = bench::countOption(argc, argv, "--frames", 200);
    const int crowdFrames = bench::countOption(argc, argv, "--crowd-frames", 20);
    WallTime clock = kNow;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    BrandFont::registerBundledFonts();
    AgentListView view({}, [&] { return clock; }, std::make_shared<FakeHostIconProvider>());
    view.resize(700, 380);
    view.show();
    QApplication::processEvents();

    double started = bench::cpuMillis();
    view.apply(inputs(0));
    QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QApplication::processEvents();
    std::printf("first build of 100 sessions in %zu sections: %.2f ms (CPU, model, texts, layout, first paint)\n",
                view.sectionOrder().size(), bench::cpuMillis() - started);

    std::vector<AgentListInputs> rounds;
    for (int r = 1; r <= frames; ++r) rounds.push_back(inputs(r));
    const std::vector<double> times = timeSnapshots(view, rounds);
    std::printf("snapshot with 10 sessions changing state, %d snapshots: median %.2f ms, p95 %.2f ms, max %.2f ms\n",
                frames, bench::percentile(times, 0.5), bench::percentile(times, 0.95), bench::percentile(times, 1.0));

    const AgentListInputs steady = rounds.back();
    view.apply(steady);
    QApplication::processEvents();
    const int before = paints(view);
    QEventLoop loop;
    QTimer feed;
    QObject::connect(&feed, &QTimer::timeout, &view, [&] { view.apply(steady); });
    feed.start(1000);
    QTimer::singleShot(10'000, &loop, &QEventLoop::quit);
    loop.exec();
    std::printf("10 s of unchanged snapshots: %d paints; elapsed labels next change in %.1f s\n",
                paints(view) - before,
                view.nextTick() ? std::chrono::duration<double>(*view.nextTick() - steady.now).count() : -1.0);

    crowd(2000, crowdFrames, [&] { return clock; });
    return 0;
}
