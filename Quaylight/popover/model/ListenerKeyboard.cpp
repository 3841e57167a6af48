#include "Quaylight/popover/model/ListenerKeyboard.h"

#include <algorithm>

namespace quaylight {

std::optional<std::string> ListenerKeyboardNavigation::nextID(const std::vector<std::string>& ids,
                                                              const std::optional<std::string>& selectedID,
                                                              std::int64_t delta) {
    const auto n = static_cast<std::int64_t>(ids.size());
    if (n == 0) return std::nullopt;
    std::int64_t current = delta > 0 ? -1 : 0;
    if (selectedID) {
        auto found = std::find(ids.begin(), ids.end(), *selectedID);
        if (found != ids.end()) current = found - ids.begin();
    }
    // A true modulo: a step far below -n still lands on a row.
    std::int64_t index = (current + delta % n) % n;
    if (index < 0) index += n;
    return ids[static_cast<std::size_t>(index)];
}

std::optional<std::string> reconciledSelection(const std::vector<std::string>& ids,
                                               const std::optional<std::string>& selectedID) {
    if (ids.empty()) return std::nullopt;
    if (selectedID && std::find(ids.begin(), ids.end(), *selectedID) != ids.end()) return selectedID;
    return ids.front();
}

const PortListener* selectedListener(const std::vector<PortListener>& listeners,
                                     const std::optional<std::string>& selectedID) {
    if (!selectedID) return listeners.empty() ? nullptr : &listeners.front();
    for (const auto& listener : listeners)
        if (listener.id() == *selectedID) return &listener;
    return nullptr;
}

ListenerKeyboardAction ListenerKeyboardAction::forKey(char key, const PortListener& listener, bool hasFocusLabel,
                                                      const ProcessSafetyClassifier::Context& context) {
    switch (key) {
        case 'o':
        case 'O':
            if (auto url = listener.openableURL()) return {Open{*url}};
            return {};
        case 't':
        case 'T': return hasFocusLabel ? ListenerKeyboardAction{Focus{}} : ListenerKeyboardAction{};
        case 'k':
        case 'K':
            // A pool's row stops the whole pool, never its representative alone.
            if (auto pool = StopPoolRequest::request(listener, context)) return {*pool};
            if (auto kill = KillRequest::request(listener, context)) return {*kill};
            return {};
        default: return {};
    }
}

}  // namespace quaylight
