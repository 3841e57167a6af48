#pragma once
// The host app of a listener is always the nearest recognised host among its owner's
// ancestors; there is no fallback to another app.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <variant>

#include "ProcessCoreKit/ancestry/ProcessAncestry.h"
#include "QuaylightKit/focus/FocusTarget.h"

namespace quaylight {

struct FocusResolution {
    struct Available {
        std::int32_t pid = 0;
        std::string displayName;
        friend bool operator==(const Available&, const Available&) = default;
    };
    struct Unavailable {
        std::string reason;  // a sentence for the user
        friend bool operator==(const Unavailable&, const Unavailable&) = default;
    };
    std::variant<Available, Unavailable> value;

    static FocusResolution available(std::int32_t pid, std::string displayName) {
        return {Available{pid, std::move(displayName)}};
    }
    static FocusResolution unavailable(std::string reason) { return {Unavailable{std::move(reason)}}; }
    friend bool operator==(const FocusResolution&, const FocusResolution&) = default;
};

struct FocusTargetResolver {
    using RunningTest = std::function<bool(std::int32_t pid)>;

    static std::optional<FocusTarget> resolveHostTarget(const ProcessSnapshot& owner,
                                                        const SnapshotLookup& lookupSnapshot);
    static FocusResolution resolve(const ProcessSnapshot& owner, const SnapshotLookup& lookupSnapshot,
                                   const RunningTest& isRunning);
};

}  // namespace quaylight
