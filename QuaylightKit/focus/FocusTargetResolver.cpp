#include "QuaylightKit/focus/FocusTargetResolver.h"

namespace quaylight {

std::optional<FocusTarget> FocusTargetResolver::resolveHostTarget(const ProcessSnapshot& owner,
                                                                  const SnapshotLookup& lookupSnapshot) {
    auto host = ProcessAncestry::nearestHostApp(owner, lookupSnapshot);
    if (!host) return std::nullopt;
    return FocusTarget{host->identity.pid, host->displayName};
}

FocusResolution FocusTargetResolver::resolve(const ProcessSnapshot& owner, const SnapshotLookup& lookupSnapshot,
                                             const RunningTest& isRunning) {
    auto target = resolveHostTarget(owner, lookupSnapshot);
    if (!target) return FocusResolution::unavailable("No host app found for this listener.");
    if (!isRunning(target->pid)) return FocusResolution::unavailable(target->displayName + " isn\u2019t running.");
    return FocusResolution::available(target->pid, target->displayName);
}

}  // namespace quaylight
