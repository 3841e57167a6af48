#include "QuaylightKit/list/ListenerListModel.h"

#include <algorithm>

#include "QuaylightKit/list/ListenerFilter.h"
#include "QuaylightKit/list/ListenerSearch.h"
#include "QuaylightKit/list/ListenerSorter.h"

namespace quaylight {
namespace {

std::vector<PortListener> kept(std::vector<PortListener> listeners, const ListenerPreferences& preferences,
                               const std::string& query) {
    std::erase_if(listeners, [&](const PortListener& l) {
        return !ListenerFilter::matches(l, preferences.filter) || !ListenerSearch::matchesNormalized(l, query);
    });
    return ListenerSorter::sorted(std::move(listeners), preferences.sortMode, preferences.activityByID);
}

}  // namespace

ListenerListModel ListenerListModel::build(const ScanResult& result, const ListenerPreferences& preferences) {
    ListenerListModel model;
    auto visible = result.visible();
    auto hidden = result.hidden();
    model.chips = ListenerFilter::availableCategories(visible);
    model.activeChipIsStale =
        std::find(model.chips.begin(), model.chips.end(), preferences.filter) == model.chips.end();
    if (visible.empty() && hidden.empty()) {
        model.content = NoListeners{};
        return model;
    }
    const auto query = ListenerSearch::normalizedQuery(preferences.searchText);
    Rows rows{kept(std::move(visible), preferences, query), kept(std::move(hidden), preferences, query)};
    if (rows.visible.empty() && rows.hidden.empty())
        model.content = NoMatches{};
    else
        model.content = std::move(rows);
    return model;
}

}  // namespace quaylight
