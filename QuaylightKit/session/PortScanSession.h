#pragma once
// The port scan loop as a paced sequence of ScanFrame values: the first scan at once, then
// one after each pause (1 s; 10 s in battery-saver mode or under the power-saver profile, both asked
// before every pause), or at once after a poke. Each scan runs on the worker pool, never
// on the consumer's thread. A failed scan is a frame too, and the loop goes on; cancelling
// the consumer ends the sequence and drops a scan still running.
//
// Frames carry the CPU activity of every listener against the previous successful scan
// of this session, and the first successful frame the filter the list starts with.
//
// Iterate it once (makeIterator), from one consumer; PanelScanLifecycle does that for
// the application.

#include <functional>
#include <memory>
#include <optional>
#include <variant>

#include "ProcessCoreKit/concurrency/PacedLoop.h"
#include "ProcessCoreKit/records/BatteryMode.h"
#include "QuaylightKit/engine/PortEngine.h"
#include "QuaylightKit/list/DefaultFilterSetting.h"
#include "QuaylightKit/list/FilterCategory.h"
#include "QuaylightKit/session/ScanFrame.h"

namespace quaylight {

class PortScanSession {
public:
    using Value = ScanFrame;
    struct ScanRefused {};  // the session was cancelled before the scan could start
    using ScanOutcome = std::variant<ScanFrame::Payload, ScanRefused>;
    using Loop = PacedLoop<ScanOutcome, ScanFrame>;
    using Iterator = Loop::Iterator;

    struct Environment {
        // One scan; any thread. Throwing (ScanFailure or anything else) is a failed frame.
        std::function<ScanResult()> scan;
        std::optional<DefaultFilterSetting> setting;  // the user's starting-filter setting
        std::optional<FilterCategory> lastUsed;       // the filter the user last chose
        std::shared_ptr<Sleeper> sleeper;
        std::shared_ptr<WorkerPool> pool;
        std::function<bool()> isLowPowerModeEnabled;  // asked before every pause; unset: false
        std::function<BatteryMode()> batteryMode;     // asked before every pause; unset: balanced
    };

    explicit PortScanSession(Environment environment);

    // A session whose scans are `engine.scan(includeArgv: true)`, sleeping on the steady
    // clock unless a sleeper is given.
    static std::shared_ptr<PortScanSession> make(PortEngine engine, std::optional<DefaultFilterSetting> setting,
                                                 std::optional<FilterCategory> lastUsed,
                                                 std::shared_ptr<WorkerPool> pool,
                                                 std::function<bool()> isLowPowerModeEnabled,
                                                 std::function<BatteryMode()> batteryMode,
                                                 std::shared_ptr<Sleeper> sleeper = nullptr);

    // The first call gets the sequence; later calls get an iterator that ends at once.
    Iterator makeIterator() { return loop_->makeIterator(); }

    // Scan now: ends a pause at once (trigger poke), or skips the next pause when a scan
    // is under way. Dropped before the first next() began and after the end. Any thread.
    void poke() { loop_->poke(); }

    // The pause before the next scan: the power-saver profile first, then the battery mode.
    static SleepDuration pauseFor(bool lowPowerModeEnabled, BatteryMode batteryMode);
    // One scan as the worker runs it: refused once `cancelled` is stopped, errors as a
    // failed payload.
    static ScanOutcome scanOnce(const std::function<ScanResult()>& scan, std::stop_token cancelled);

private:
    std::shared_ptr<Loop> loop_;
};

}  // namespace quaylight
