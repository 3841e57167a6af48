#pragma once

#include <optional>
#include <string>
#include <unordered_map>
#include <variant>

#include "ProcessCoreKit/activity/ActivityEstimator.h"
#include "ProcessCoreKit/concurrency/PacedLoop.h"
#include "ProcessCoreKit/records/ScanError.h"
#include "QuaylightKit/list/FilterCategory.h"
#include "QuaylightKit/listener/ScanResult.h"

namespace quaylight {

// One emission of the port scan session: a scan's result or its failure, why it ran, the
// CPU activity of each listener against the frame before, and on the first successful
// frame of a session the filter the list starts with.
struct ScanFrame {
    using Payload = std::variant<ScanResult, ScanError>;  // scanned, or failed
    using Trigger = PacedTrigger;                         // initial, cadence or poke

    struct Activity {
        ActivityLevel level = ActivityLevel::unknown;
        std::optional<double> cpuPercent;
        friend bool operator==(const Activity&, const Activity&) = default;
    };
    using ActivityByID = std::unordered_map<std::string, Activity>;  // by listener stable id

    Payload payload;
    Trigger trigger = Trigger::initial;
    std::optional<FilterCategory> startingFilter;
    ActivityByID activity;  // empty on a failed frame

    const ScanResult* scanned() const { return std::get_if<ScanResult>(&payload); }
    ScanResult* scanned() { return std::get_if<ScanResult>(&payload); }
    std::optional<ScanError> failure() const {
        if (auto* error = std::get_if<ScanError>(&payload)) return *error;
        return std::nullopt;
    }
};

}  // namespace quaylight
