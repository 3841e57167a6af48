#include <gtest/gtest.h>

#include "QuaylightKit/list/ListenerSorter.h"
#include "tests/QuaylightKit/Snapshots.h"

namespace quaylight {
namespace {

PortListener row(std::int32_t pid, std::int64_t port, std::string path = "/usr/bin/node",
                 VisibilityClass visibility = VisibilityClass::defaultVisible) {
    PortListener l;
    l.process = testing::makeProcess(pid, std::move(path), 1, 501, 1000 + pid);
    l.port = port;
    l.visibility = visibility;
    l.identity = ListenerIdentity{l.process.identity, PortProtocol::tcp, port, {}, false, std::nullopt};
    return l;
}

std::vector<std::int32_t> pids(const std::vector<PortListener>& list) {
    std::vector<std::int32_t> out;
    for (const auto& l : list) out.push_back(l.process.identity.pid);
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
    std::vector<PortListener> rows{row(1, 9000, "/usr/sbin/cupsd", VisibilityClass::hiddenSystemBackground),
                                   row(2, 8080, "/usr/bin/Zeta"), row(3, 8080, "/usr/bin/alpha"), row(4, 3000),
                                   row(5, 8080, "/usr/bin/ALPHA")};
    EXPECT_EQ(pids(ListenerSorter::sorted(rows, ListenerSortMode::port, {})), (std::vector<std::int32_t>{4, 3, 5, 2, 1}));
}

TEST(ListenerSorter, ByMemoryUptimeAndActivity) {
    std::vector<PortListener> rows{row(1, 3000), row(2, 4000), row(3, 5000), row(4, 6000)};
    rows[0].process.residentMemoryBytes = 10;
    rows[1].process.residentMemoryBytes = 30;
    rows[2].process.residentMemoryBytes.reset();
    rows[3].process.residentMemoryBytes = 30;
    EXPECT_EQ(pids(ListenerSorter::sorted(rows, ListenerSortMode::memory, {})), (std::vector<std::int32_t>{2, 4, 1, 3}));

    rows[0].process.identity.startTimeSeconds = 50;
    rows[1].process.identity.startTimeSeconds = 40;
    rows[1].process.identity.startTimeMicroseconds = 9;
    rows[2].process.identity.startTimeSeconds = 40;
    rows[2].process.identity.startTimeMicroseconds = 2;
    rows[3].process.identity.startTimeSeconds = 60;
    EXPECT_EQ(pids(ListenerSorter::sorted(rows, ListenerSortMode::uptime, {})), (std::vector<std::int32_t>{3, 2, 1, 4}));

    ListenerSorter::ActivityByID activity{{rows[0].id(), ActivityLevel::low},
                                          {rows[1].id(), ActivityLevel::unknown},
                                          {rows[3].id(), ActivityLevel::high}};
    EXPECT_EQ(pids(ListenerSorter::sorted(rows, ListenerSortMode::activity, activity)),
              (std::vector<std::int32_t>{4, 1, 2, 3}));
}

}  // namespace
}  // namespace quaylight
