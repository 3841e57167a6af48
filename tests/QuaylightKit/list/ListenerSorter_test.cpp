#include <gtest/gtest.h>

#include "QuaylightKit/list/ListenerSorter.h"
#include "tests/QuaylightKit/Listeners.h"

namespace quaylight {
namespace {

using testsupport::makeListener;

std::vector<std::int32_t> pids(const std::vector<PortListener>& list) {
    std::vector<std::int32_t> out;
    for (const auto& l : list) out.push_back(l.process->identity.pid);
    return out;
}

TEST(ListenerSortMode, RawValuesAndTitles) {
    EXPECT_EQ(allCases<ListenerSortMode>(), (std::array{ListenerSortMode::port, ListenerSortMode::activity,
                                                        ListenerSortMode::memory, ListenerSortMode::uptime}));
    EXPECT_EQ(fromRawValue<ListenerSortMode>("memory"), ListenerSortMode::memory);
    EXPECT_EQ(fromRawValue<ListenerSortMode>("Memory"), std::nullopt);
    EXPECT_EQ(displayName(ListenerSortMode::uptime), "Uptime");
}

TEST(ListenerSorter, ByPortWithVisibleRowsFirstThenNameThenID) {
    std::vector<PortListener> rows{makeListener(1, 9000, "/usr/sbin/cupsd", VisibilityClass::hiddenSystemBackground),
                                   makeListener(2, 8080, "/usr/bin/Zeta"), makeListener(3, 8080, "/usr/bin/alpha"),
                                   makeListener(4, 3000), makeListener(5, 8080, "/usr/bin/ALPHA")};
    EXPECT_EQ(pids(ListenerSorter::sorted(rows, ListenerSortMode::port, {})),
              (std::vector<std::int32_t>{4, 3, 5, 2, 1}));
}

TEST(ListenerSorter, ByMemoryUptimeAndActivity) {
    std::vector<PortListener> rows{makeListener(1, 3000), makeListener(2, 4000), makeListener(3, 5000),
                                   makeListener(4, 6000)};
    rows[0].process.edit().residentMemoryBytes = 10;
    rows[1].process.edit().residentMemoryBytes = 30;
    rows[2].process.edit().residentMemoryBytes.reset();
    rows[3].process.edit().residentMemoryBytes = 30;
    EXPECT_EQ(pids(ListenerSorter::sorted(rows, ListenerSortMode::memory, {})),
              (std::vector<std::int32_t>{2, 4, 1, 3}));

    rows[0].process.edit().identity.startTimeSeconds = 50;
    rows[1].process.edit().identity.startTimeSeconds = 40;
    rows[1].process.edit().identity.startTimeMicroseconds = 9;
    rows[2].process.edit().identity.startTimeSeconds = 40;
    rows[2].process.edit().identity.startTimeMicroseconds = 2;
    rows[3].process.edit().identity.startTimeSeconds = 60;
    EXPECT_EQ(pids(ListenerSorter::sorted(rows, ListenerSortMode::uptime, {})),
              (std::vector<std::int32_t>{3, 2, 1, 4}));

    ListenerSorter::ActivityByID activity{{rows[0].id(), ActivityLevel::low},
                                          {rows[1].id(), ActivityLevel::unknown},
                                          {rows[3].id(), ActivityLevel::high}};
    EXPECT_EQ(pids(ListenerSorter::sorted(rows, ListenerSortMode::activity, activity)),
              (std::vector<std::int32_t>{4, 1, 2, 3}));
}

TEST(ListenerSorter, EveryModeBreaksTiesByPortThenNameThenStableID) {
    // Equal on the mode's key: memory 5 for all, start time 7 s, activity unknown or absent.
    std::vector<PortListener> rows{makeListener(1, 8000, "/usr/bin/zed"), makeListener(2, 7000, "/usr/bin/b"),
                                   makeListener(3, 8000, "/usr/bin/Abc"), makeListener(4, 8000, "/usr/bin/abc")};
    ListenerSorter::ActivityByID activity;
    for (auto& row : rows) {
        row.process.edit().residentMemoryBytes = 5;
        row.process.edit().identity.startTimeSeconds = 7;
        row.process.edit().identity.startTimeMicroseconds = 0;
        activity[row.id()] = ActivityLevel::unknown;
    }
    activity.erase(rows[1].id());  // no entry ranks like unknown
    // Rows 3 and 4 tie on the name ignoring case: the stable ids (":3:" before ":4:") decide.
    ASSERT_LT(rows[2].id(), rows[3].id());
    for (auto mode : allCases<ListenerSortMode>())
        EXPECT_EQ(pids(ListenerSorter::sorted(rows, mode, activity)), (std::vector<std::int32_t>{2, 3, 4, 1}))
            << rawValue(mode);
}

}  // namespace
}  // namespace quaylight
