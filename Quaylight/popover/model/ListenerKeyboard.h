#pragma once
// The listener list's keyboard as pure functions: moving the selection, keeping it valid as
// rows come and go, and what a letter key does to the selected listener.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "ProcessCoreKit/safety/ProcessSafetyClassifier.h"
#include "QuaylightKit/listener/PortListener.h"
#include "QuaylightKit/terminator/StopRequests.h"

namespace quaylight {

struct ListenerKeyboardNavigation {
    // The id `delta` places after the selection, wrapping at both ends. Without a selection
    // (or one no longer listed) +1 gives the first id and -1 (or 0) counts from the first.
    // Any step wraps by a true modulo, however far below -n; none for an empty list.
    static std::optional<std::string> nextID(const std::vector<std::string>& ids,
                                             const std::optional<std::string>& selectedID, std::int64_t delta);
};

// After the rows changed: none for no rows, the selection while it is still listed, else
// the first row.
std::optional<std::string> reconciledSelection(const std::vector<std::string>& ids,
                                               const std::optional<std::string>& selectedID);

// The row the keys act on: the first row without a selection, the selected one while it is
// listed, none otherwise.
const PortListener* selectedListener(const std::vector<PortListener>& listeners,
                                     const std::optional<std::string>& selectedID);

struct ListenerKeyboardAction {
    struct Open {
        std::string url;
        friend bool operator==(const Open&, const Open&) = default;
    };
    struct Focus {
        friend bool operator==(Focus, Focus) { return true; }
    };
    struct Unavailable {
        friend bool operator==(Unavailable, Unavailable) { return true; }
    };
    std::variant<Open, StopPoolRequest, KillRequest, Focus, Unavailable> value = Unavailable{};

    friend bool operator==(const ListenerKeyboardAction&, const ListenerKeyboardAction&) = default;

    // "o" opens, "t" focuses, "k" stops the pool or else the process; upper case alike.
    static ListenerKeyboardAction forKey(char key, const PortListener& listener, bool hasFocusLabel,
                                         const ProcessSafetyClassifier::Context& context);
};

}  // namespace quaylight
