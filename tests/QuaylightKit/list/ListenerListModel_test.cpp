#include "QuaylightKit/list/ListenerListModel.h"

#include <gtest/gtest.h>

#include "tests/QuaylightKit/Listeners.h"

namespace quaylight {
namespace {

using testsupport::makeListener;
using testsupport::resultOf;
using F = FilterCategory;

PortListener hiddenRow(std::int32_t pid, std::int64_t port) {
    return makeListener(pid, port, "/usr/sbin/cupsd", VisibilityClass::hiddenSystemBackground);
}

PortListener withOrigin(PortListener l, AgentKind kind) {
    l.agentOrigin = kind;
    return l;
}

ListenerPreferences showing(F filter, std::string search = "", ListenerSortMode mode = ListenerSortMode::port) {
    return ListenerPreferences{filter, std::move(search), mode, {}};
}

std::vector<std::int64_t> ports(const std::vector<PortListener>& list) {
    std::vector<std::int64_t> out;
    for (const auto& l : list) out.push_back(l.port);
    return out;
}

TEST(ListenerListModel, EmptyScanHasNoListenersAndTheSingleChipAll) {
    auto model = ListenerListModel::build(resultOf({}), showing(F::all));
    EXPECT_TRUE(model.hasNoListeners());
    EXPECT_EQ(model.chips, (std::vector<F>{F::all}));
    EXPECT_FALSE(model.activeChipIsStale);
    EXPECT_EQ(model.hiddenCount(), 0);
    EXPECT_FALSE(model.hasNoMatches());
}

TEST(ListenerListModel, OnlyHiddenListenersShowAsHiddenRows) {
    auto model = ListenerListModel::build(resultOf({hiddenRow(3, 631), hiddenRow(4, 25)}), showing(F::all));
    ASSERT_TRUE(model.rows());
    EXPECT_TRUE(model.rows()->visible.empty());
    EXPECT_EQ(ports(model.rows()->hidden), (std::vector<std::int64_t>{25, 631}));
    EXPECT_EQ(model.hiddenCount(), 2);
}

TEST(ListenerListModel, UnavailableRowsAreNeitherVisibleNorHidden) {
    auto model = ListenerListModel::build(
        resultOf({makeListener(3, 80, "/usr/bin/node", VisibilityClass::unavailable)}), showing(F::all));
    EXPECT_TRUE(model.hasNoListeners());
}

TEST(ListenerListModel, AStaleChipWithNothingToMatchGivesNoMatches) {
    auto model =
        ListenerListModel::build(resultOf({withOrigin(makeListener(1, 3000), AgentKind::claude)}), showing(F::codex));
    EXPECT_TRUE(model.activeChipIsStale);
    EXPECT_TRUE(model.hasNoMatches());
    EXPECT_EQ(model.chips, (std::vector<F>{F::all, F::agents, F::claude, F::other}));
}

TEST(ListenerListModel, HiddenListenersAddNoChipButAreFilteredToo) {
    auto model = ListenerListModel::build(
        resultOf({makeListener(1, 3000), withOrigin(hiddenRow(2, 4000), AgentKind::codex)}), showing(F::codex));
    EXPECT_TRUE(model.activeChipIsStale);  // no visible codex listener
    ASSERT_TRUE(model.rows());
    EXPECT_TRUE(model.rows()->visible.empty());
    EXPECT_EQ(ports(model.rows()->hidden), (std::vector<std::int64_t>{4000}));
}

TEST(ListenerListModel, FilterThenSearchThenSortEachList) {
    auto a = withOrigin(makeListener(1, 9000, "/usr/bin/vite"), AgentKind::codex);
    auto b = withOrigin(makeListener(2, 3000, "/usr/bin/vite"), AgentKind::codex);
    auto c = withOrigin(makeListener(3, 5000, "/usr/bin/rails"), AgentKind::codex);
    auto d = makeListener(4, 1000, "/usr/bin/vite");
    a.process.edit().residentMemoryBytes = 10;
    b.process.edit().residentMemoryBytes = 20;
    auto result = resultOf({a, b, c, d, hiddenRow(5, 631)});

    auto byPort = ListenerListModel::build(result, showing(F::codex, " VITE "));
    ASSERT_TRUE(byPort.rows());
    EXPECT_EQ(ports(byPort.rows()->visible), (std::vector<std::int64_t>{3000, 9000}));
    EXPECT_TRUE(byPort.rows()->hidden.empty());
    EXPECT_FALSE(byPort.activeChipIsStale);

    auto byMemory = ListenerListModel::build(result, showing(F::codex, "vite", ListenerSortMode::memory));
    EXPECT_EQ(ports(byMemory.rows()->visible), (std::vector<std::int64_t>{3000, 9000}));
    a.process.edit().residentMemoryBytes = 30;
    byMemory = ListenerListModel::build(resultOf({a, b, c, d}), showing(F::codex, "vite", ListenerSortMode::memory));
    EXPECT_EQ(ports(byMemory.rows()->visible), (std::vector<std::int64_t>{9000, 3000}));

    ListenerPreferences byActivity = showing(F::all, "", ListenerSortMode::activity);
    byActivity.activityByID = {{c.id(), ActivityLevel::high}, {a.id(), ActivityLevel::medium}};
    auto model = ListenerListModel::build(result, byActivity);
    EXPECT_EQ(ports(model.rows()->visible), (std::vector<std::int64_t>{5000, 9000, 1000, 3000}));
    EXPECT_EQ(ports(model.rows()->hidden), (std::vector<std::int64_t>{631}));
}

}  // namespace
}  // namespace quaylight
