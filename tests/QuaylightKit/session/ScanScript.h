#pragma once
// Scripted scans for the session and lifecycle tests: one entry per call (the last one
// repeats; an empty entry fails like a scan that could not list processes), and a gate
// the test can hold a chosen call at.

#include <atomic>
#include <future>
#include <optional>
#include <vector>

#include "ProcessCoreKit/records/ScanError.h"
#include "QuaylightKit/listener/ScanResult.h"

namespace quaylight::testsupport {

struct ScanScript {
    std::vector<std::optional<ScanResult>> steps{ScanResult{}};
    std::atomic<int> calls = 0;
    int holdCall = 0;  // 0: none
    std::promise<void> held;
    std::promise<void> gate;
    std::shared_future<void> gateOpen = gate.get_future().share();

    ScanResult operator()() {
        const int call = ++calls;
        if (call == holdCall) {
            held.set_value();
            gateOpen.wait();
        }
        const auto& step = steps.at(std::min<std::size_t>(call - 1, steps.size() - 1));
        if (!step) throw ScanFailure(ScanError::enumerationUnavailable);
        return *step;
    }

    // Blocks until the held call has begun.
    void waitUntilHeld() { held.get_future().wait(); }
    void release() { gate.set_value(); }
};

}  // namespace quaylight::testsupport
