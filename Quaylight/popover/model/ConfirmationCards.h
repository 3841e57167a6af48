#pragma once
// The one confirmation card the overlay shows: the first pending request in a fixed order,
// with its title, message and confirm button.

#include <optional>
#include <string>
#include <variant>

#include "Quaylight/popover/model/PopoverInputs.h"

namespace quaylight {

using ShownStop = std::variant<KillRequest, ForceKillRequest, StopPoolRequest, StopVisibleRequest, StopAgentRequest>;

struct ConfirmationTexts {
    std::string title;
    std::string message;
    std::string confirmTitle;
    friend bool operator==(const ConfirmationTexts&, const ConfirmationTexts&) = default;
};

// Kill, then force kill, stop pool, stop visible and stop agent.
std::optional<ShownStop> shownStop(const PendingStops& pending);
// `pending` without the request the card shows (what cancelling leaves).
PendingStops cancelledShown(const PendingStops& pending);
ConfirmationTexts confirmationTexts(const ShownStop& stop);

}  // namespace quaylight
