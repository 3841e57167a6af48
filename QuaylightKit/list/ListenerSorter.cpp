#include "QuaylightKit/list/ListenerSorter.h"

#include <algorithm>
#include <optional>
#include <string>
#include <unordered_map>

#include "QuaylightKit/list/TextOrdering.h"

namespace quaylight {
namespace {

int activityRank(const std::string& id, const ListenerSorter::ActivityByID& activity) {
    auto it = activity.find(id);
    if (it == activity.end()) return 3;
    switch (it->second) {
        case ActivityLevel::high: return 0;
        case ActivityLevel::medium: return 1;
        case ActivityLevel::low: return 2;
        case ActivityLevel::unknown: return 3;
    }
    return 3;
}

template <class T>
int compare(const T& a, const T& b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

// The mode's own key: negative when `a` comes first. Activity ranks are computed once.
int compareByMode(const PortListener& a, const PortListener& b, int rankA, int rankB, ListenerSortMode mode) {
    switch (mode) {
        case ListenerSortMode::port: return 0;
        case ListenerSortMode::activity: return compare(rankA, rankB);
        case ListenerSortMode::memory:
            return compare(b.process->residentMemoryBytes.value_or(0), a.process->residentMemoryBytes.value_or(0));
        case ListenerSortMode::uptime: {
            const auto& x = a.process->identity;
            const auto& y = b.process->identity;
            if (int c = compare(x.startTimeSeconds, y.startTimeSeconds)) return c;
            return compare(x.startTimeMicroseconds, y.startTimeMicroseconds);
        }
    }
    return 0;
}

}  // namespace

std::vector<const PortListener*> ListenerSorter::sorted(std::vector<const PortListener*> listeners,
                                                        ListenerSortMode mode, const ActivityByID& activity) {
    // The name and the stable id only break ties, which are rare: each is made once per
    // listener, and only when a comparison comes to it. They are kept beside the keys, so
    // that the keys (and the sort's buffer of them) stay small.
    struct Keyed {
        const PortListener* listener;
        int activityRank;
    };
    std::unordered_map<const PortListener*, std::string> names, ids;
    auto nameKey = [&](const PortListener* l) -> const std::string& {
        auto [it, inserted] = names.try_emplace(l);
        if (inserted) it->second = l->process->displayName();
        return it->second;
    };
    auto idKey = [&](const PortListener* l) -> const std::string& {
        auto [it, inserted] = ids.try_emplace(l);
        if (inserted) it->second = l->id();
        return it->second;
    };
    std::vector<Keyed> keys;
    keys.reserve(listeners.size());
    for (const PortListener* listener : listeners)
        keys.push_back({listener, mode == ListenerSortMode::activity ? activityRank(idKey(listener), activity) : 3});
    std::stable_sort(keys.begin(), keys.end(), [&](const Keyed& ka, const Keyed& kb) {
        const auto& a = *ka.listener;
        const auto& b = *kb.listener;
        if (int c = compare(sortRank(a.visibility), sortRank(b.visibility))) return c < 0;
        if (int c = compareByMode(a, b, ka.activityRank, kb.activityRank, mode)) return c < 0;
        if (int c = compare(a.port, b.port)) return c < 0;
        if (int c = compareCaseInsensitive(nameKey(ka.listener), nameKey(kb.listener))) return c < 0;
        return idKey(ka.listener) < idKey(kb.listener);
    });
    for (std::size_t i = 0; i < keys.size(); ++i) listeners[i] = keys[i].listener;
    return listeners;
}

std::vector<PortListener> ListenerSorter::sorted(std::vector<PortListener> listeners, ListenerSortMode mode,
                                                 const ActivityByID& activity) {
    std::vector<const PortListener*> borrowed;
    borrowed.reserve(listeners.size());
    for (const auto& listener : listeners) borrowed.push_back(&listener);
    std::vector<PortListener> ordered;
    ordered.reserve(listeners.size());
    for (const PortListener* listener : sorted(std::move(borrowed), mode, activity))
        ordered.push_back(std::move(const_cast<PortListener&>(*listener)));
    return ordered;
}

}  // namespace quaylight
