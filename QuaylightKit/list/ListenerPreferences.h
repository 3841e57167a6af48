#pragma once

#include <string>

#include "QuaylightKit/list/FilterCategory.h"
#include "QuaylightKit/list/ListenerSortMode.h"
#include "QuaylightKit/list/ListenerSorter.h"

namespace quaylight {

// How the user wants the listener list: the chip, the search text as typed, the sort mode
// and the activity level of each listener (by stable id) for sorting by activity.
struct ListenerPreferences {
    FilterCategory filter = FilterCategory::all;
    std::string searchText;
    ListenerSortMode sortMode = ListenerSortMode::port;
    ListenerSorter::ActivityByID activityByID;

    friend bool operator==(const ListenerPreferences&, const ListenerPreferences&) = default;
};

}  // namespace quaylight
