#include "QuaylightKit/session/ListenerActivityFold.h"

namespace quaylight {

ListenerActivityFold::Step ListenerActivityFold::step(const ScanResult& result, const Samples& previousSamples) {
    Step step;
    for (const auto& listener : result.listeners) {
        if (listener.isWorkerPool()) continue;
        auto key = listener.id();
        const auto& cpu = listener.process->cpuTimeNanos;
        if (!cpu) {
            step.activity[key] = ScanFrame::Activity{};
            continue;
        }
        const ActivityEstimator::Sample current{*cpu, result.scannedAt};
        std::optional<ActivityEstimator::Sample> previous;
        if (auto it = previousSamples.find(key); it != previousSamples.end()) previous = it->second;
        const auto percent = ActivityEstimator::cpuPercent(previous, current);
        step.activity[key] =
            percent ? ScanFrame::Activity{ActivityEstimator::bucket(*percent), percent} : ScanFrame::Activity{};
        step.samples[std::move(key)] = current;
    }
    return step;
}

}  // namespace quaylight
