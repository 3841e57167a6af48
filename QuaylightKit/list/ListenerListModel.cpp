#include "QuaylightKit/list/ListenerListModel.h"

#include <algorithm>

#include "QuaylightKit/list/ListenerFilter.h"
#include "QuaylightKit/list/ListenerSearch.h"
#include "QuaylightKit/list/ListenerSorter.h"

namespace quaylight {
namespace {

// Copies only the rows of one visibility class that pass the filter and the search: a scan of
// thousands of listeners is copied once at most, not once whole and again to narrow it.
std::vector<PortListener> kept(const ScanResult& result, VisibilityClass visibility,
                               const ListenerPreferences& preferences, const std::string& query) {
    std::vector<PortListener> listeners;
    listeners.reserve(result.listeners.size());
    for (const auto& l : result.listeners)
        if (l.visibility == visibility && ListenerFilter::matches(l, preferences.filter) &&
            ListenerSearch::matchesNormalized(l, query))
            listeners.push_back(l);
    return ListenerSorter::sorted(std::move(listeners), preferences.sortMode, preferences.activityByID);
}

}  // namespace

ListenerListModel ListenerListModel::build(const ScanResult& result, const ListenerPreferences& preferences) {
    ListenerListModel model;
    model.chips = ListenerFilter::availableCategories(result.listeners, VisibilityClass::defaultVisible);
    model.activeChipIsStale =
        std::find(model.chips.begin(), model.chips.end(), preferences.filter) == model.chips.end();
    if (result.visibleCount() == 0 && result.hiddenCount() == 0) {
        model.content = NoListeners{};
        return model;
    }
    const auto query = ListenerSearch::normalizedQuery(preferences.searchText);
    Rows rows{kept(result, VisibilityClass::defaultVisible, preferences, query),
              kept(result, VisibilityClass::hiddenSystemBackground, preferences, query)};
    if (rows.visible.empty() && rows.hidden.empty())
        model.content = NoMatches{};
    else
        model.content = std::move(rows);
    return model;
}

}  // namespace quaylight
