// The open ports list under a stream of frames. First the time to build the list of 200
// listeners, then frames of the same 200 rows with new CPU and memory figures applied to it
// (list model, row texts, changed rows, layout), on one core. Then ten seconds of frames
// that change nothing visible: under reduce motion nothing may paint, otherwise only the
// activity lights. Last, a list of 2,000 listeners: its first build, frames with new
// figures, and the arrow key moving the selection down it.
//
//   ./build/bench/bench-popover-frames [--frames N]

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <variant>
#include <vector>

#include "Quaylight/design/platform/FakeReduceMotion.h"
#include "Quaylight/design/theme/BrandFont.h"
#include "Quaylight/popover/PopoverRootView.h"
#include "Quaylight/popover/list/ActivityPulseClock.h"
#include "Quaylight/popover/list/ListenerListView.h"
#include "Quaylight/popover/model/ListenerRowTexts.h"
#include "bench/BenchSupport.h"
#include "bench/PopoverBench.h"

using namespace quaylight;

namespace {

PopoverInputs frame(int n, int round, bool vary) {
    PopoverInputs inputs = bench::benchInputs();
    ScanResult result;
    result.scannedAt = inputs.now;
    for (int i = 0; i < n; ++i) {
        auto l = bench::benchListener(i);
        if (vary) l.process.edit().residentMemoryBytes = 50'000'000 + static_cast<std::uint64_t>((round * 7 + i) % 40) * 1'100'000;
        const auto id = l.id();
        inputs.activityByID[id] = static_cast<ActivityLevel>(i % 3);
        inputs.cpuPercentByID[id] = vary ? static_cast<double>((round * 13 + i) % 90) : 5.0;
        result.listeners.push_back(std::move(l));
    }
    inputs.state = std::move(result);
    return inputs;
}

int rowPaints(const PopoverRootView& root, bool wideOnly = false) {
    int total = 0;
    for (const auto& id : root.listView()->rowOrder()) {
        // Only the rows that have a widget can paint.
        if (const auto* row = root.listView()->row(id)) total += wideOnly ? row->widePaintCount() : row->paintCount();
    }
    return total;
}

// Runs the event loop for `ms` milliseconds, feeding `inputs` once a second.
// (A local loop: quitting the application would close its windows.)
void idle(PopoverRootView& root, const PopoverInputs& inputs, int ms) {
    QEventLoop loop;
    QTimer feed;
    QObject::connect(&feed, &QTimer::timeout, &root, [&] { root.apply(inputs); });
    feed.start(1000);
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Applies each frame and returns the CPU time each took up to its layout (paints not counted:
// the frame is already applied).
std::vector<double> timeFrames(PopoverRootView& root, const std::vector<PopoverInputs>& inputs) {
    std::vector<double> times;
    for (const auto& in : inputs) {
        const double started = bench::cpuMillis();
        root.apply(in);
        QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        times.push_back(bench::cpuMillis() - started);
        QApplication::processEvents();
    }
    return times;
}

void printTimes(const char* what, const std::vector<double>& times) {
    std::printf("%s, %zu times: median %.2f ms, p95 %.2f ms, max %.2f ms\n", what, times.size(),
                bench::percentile(times, 0.5), bench::percentile(times, 0.95), bench::percentile(times, 1.0));
}

// Applies the first frame to an empty panel and prints what it took, with its first paint.
void timeFirstBuild(PopoverRootView& root, const PopoverInputs& first, int n) {
    const double started = bench::cpuMillis();
    root.apply(first);
    QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QApplication::processEvents();
    std::printf("first build of %d rows: %.2f ms (CPU, list model, rows, layout, first paint)\n", n,
                bench::cpuMillis() - started);
}

// Shows an empty panel under `still`, times its first build of `n` rows, and returns `frames`
// frames of the same rows with new figures, to be timed next.
std::vector<PopoverInputs> buildAndPrepareFrames(PopoverRootView& root, const std::shared_ptr<FakeReduceMotion>& still,
                                                 int n, int frames) {
    installReduceMotion(&root, still);
    root.show();
    QApplication::processEvents();
    timeFirstBuild(root, frame(n, 0, false), n);
    std::vector<PopoverInputs> inputs;
    for (int r = 1; r <= frames; ++r) inputs.push_back(frame(n, r, true));
    return inputs;
}

// The long list: built once, then frames with new figures, then the arrow key, each timed up to
// the layout it causes.
void longList(int frames) {
    constexpr int n = 2000;
    auto still = std::make_shared<FakeReduceMotion>(true);
    PopoverRootView root({});
    const std::vector<PopoverInputs> inputs = buildAndPrepareFrames(root, still, n, frames);
    printTimes("2,000 rows, new frame (same rows, new CPU and memory)", timeFrames(root, inputs));

    auto* list = root.listView();
    list->setFocus(Qt::OtherFocusReason);
    QApplication::processEvents();
    std::vector<double> keys;
    for (int k = 0; k < frames; ++k) {
        QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        const double keyStarted = bench::cpuMillis();
        QApplication::sendEvent(list, &down);
        QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        keys.push_back(bench::cpuMillis() - keyStarted);
        QApplication::processEvents();
    }
    printTimes("2,000 rows, arrow key down (selection moves one row, kept in view)", keys);

    // What a frame of 2,000 rows is made of: the rows' texts, and the list taking them.
    std::vector<double> texts;
    std::vector<double> taking;
    for (const auto& in : inputs) {
        const auto& listeners = std::get<ScanResult>(in.state).listeners;
        double partStarted = bench::cpuMillis();
        std::vector<ListenerRowTexts> rows;
        rows.reserve(listeners.size());
        for (const auto& l : listeners) {
            const auto id = l.id();
            rows.push_back(listenerRowTexts(l, in.activityByID.at(id), in.cpuPercentByID.at(id), in.displayFields,
                                            in.rowDensity, in.now));
        }
        texts.push_back(bench::cpuMillis() - partStarted);
        partStarted = bench::cpuMillis();
        list->setRows(std::move(rows), std::nullopt, std::nullopt);
        QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        taking.push_back(bench::cpuMillis() - partStarted);
        QApplication::processEvents();
    }
    printTimes("2,000 rows, of a frame: the rows' texts", texts);
    printTimes("2,000 rows, of a frame: the list taking them", taking);
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const int frames = bench::countOption(argc, argv, "--frames", 200);
    bench::pinToOneCore();

    QApplication app(argc, argv);
    BrandFont::registerBundledFonts();
    constexpr int n = 200;

    auto still = std::make_shared<FakeReduceMotion>(true);
    PopoverRootView root({});
    const std::vector<PopoverInputs> inputs = buildAndPrepareFrames(root, still, n, frames);
    const std::vector<double> times = timeFrames(root, inputs);
    std::printf("new frame (same rows, new CPU and memory), %d frames: median %.2f ms, p95 %.2f ms, max %.2f ms\n",
                frames, bench::percentile(times, 0.5), bench::percentile(times, 0.95), bench::percentile(times, 1.0));

    const PopoverInputs steady = inputs.back();
    root.apply(steady);
    QApplication::processEvents();
    int before = rowPaints(root);
    idle(root, steady, 10'000);
    std::printf("reduce motion, 10 s of unchanged frames: %d row paints, pulse clock %s\n", rowPaints(root) - before,
                root.listView()->pulseClock()->isRunning() ? "running" : "stopped");

    still->set(false);
    root.apply(steady);
    QApplication::processEvents();
    before = rowPaints(root);
    const int wideBefore = rowPaints(root, true);
    idle(root, steady, 10'000);
    std::printf("motion allowed, 10 s of unchanged frames: %d paints of light squares, %d wider row paints, "
                "%d pulsing lights (the rows in view)\n",
                rowPaints(root) - before - (rowPaints(root, true) - wideBefore), rowPaints(root, true) - wideBefore,
                root.listView()->pulseClock()->subscriberCount());
    root.hide();

    longList(std::max(1, frames / 4));
    return 0;
}
