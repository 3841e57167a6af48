#include "Quaylight/popover/model/ConfirmationCards.h"

namespace quaylight {

std::optional<ShownStop> shownStop(const PendingStops& pending) {
    if (pending.kill) return ShownStop{*pending.kill};
    if (pending.forceKill) return ShownStop{*pending.forceKill};
    if (pending.stopPool) return ShownStop{*pending.stopPool};
    if (pending.stopVisible) return ShownStop{*pending.stopVisible};
    if (pending.stopAgent) return ShownStop{*pending.stopAgent};
    return std::nullopt;
}

PendingStops cancelledShown(const PendingStops& pending) {
    PendingStops left = pending;
    if (left.kill) left.kill.reset();
    else if (left.forceKill) left.forceKill.reset();
    else if (left.stopPool) left.stopPool.reset();
    else if (left.stopVisible) left.stopVisible.reset();
    else left.stopAgent.reset();
    return left;
}

namespace {

std::string plural(std::int64_t count) { return count == 1 ? "" : "s"; }

struct TextsOf {
    ConfirmationTexts operator()(const KillRequest& r) const {
        return {"Kill " + r.displayName + " (PID " + std::to_string(r.pid) + ")?",
                "Sends " + r.signalName + " to the process listening on port " + std::to_string(r.port) +
                    ". Protected system processes are never terminated.",
                "Kill Process"};
    }
    ConfirmationTexts operator()(const ForceKillRequest& r) const {
        return {"Force kill " + r.displayName + " (PID " + std::to_string(r.pid) + ")?",
                "Sends " + r.signalName + " to the process listening on port " + std::to_string(r.port) +
                    ". This cannot be undone and may lose unsaved work.",
                "Force Kill"};
    }
    ConfirmationTexts operator()(const StopPoolRequest& r) const {
        return {"Stop " + r.displayName + " worker pool?",
                "Sends " + r.signalName + " to the pool serving port " + std::to_string(r.port) + " (×" +
                    std::to_string(r.poolSize) + "). Protected processes are never terminated.",
                "Stop Pool"};
    }
    ConfirmationTexts operator()(const StopVisibleRequest& r) const {
        return {"Stop " + std::to_string(r.targetCount()) + " visible target" + plural(r.targetCount()) + "?",
                "Sends SIGTERM once to each verified process or worker pool behind " +
                    std::to_string(r.listenerCount) + " actionable visible listener" + plural(r.listenerCount) +
                    ". Background, protected, changed, and no-longer-owned processes are skipped.",
                "Stop Visible"};
    }
    ConfirmationTexts operator()(const StopAgentRequest& r) const {
        return {"Stop " + r.providerName + " agent (PID " + std::to_string(r.pid) + ")?",
                "Sends " + r.signalName +
                    " only to the verified local agent process. Its terminal, editor, and other host apps remain "
                    "open.",
                "Stop Agent"};
    }
};

}  // namespace

ConfirmationTexts confirmationTexts(const ShownStop& stop) { return std::visit(TextsOf{}, stop); }

}  // namespace quaylight
