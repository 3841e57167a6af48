// The Ports rail's chip list, labels and the sort menu's keys, as tables.

#include <gtest/gtest.h>

#include "Quaylight/popover/model/PortsRailTexts.h"

namespace quaylight {
namespace {

using F = FilterCategory;

TEST(PortsChipRail, KeepsTheActiveChipInFixedOrder) {
    struct Case {
        std::vector<F> available;
        F active;
        std::vector<F> expected;
    };
    const Case cases[] = {
        {{F::node, F::all, F::web}, F::all, {F::all, F::web, F::node}},
        {{F::all, F::node}, F::python, {F::all, F::node, F::python}},  // no longer offered, still shown
        {{}, F::codex, {F::codex}},
        {{F::other, F::deno, F::agents, F::all}, F::deno, {F::all, F::agents, F::deno, F::other}},
    };
    for (const auto& c : cases) EXPECT_EQ(PortsChipRail::categories(c.available, c.active), c.expected);
}

TEST(PortsChipRail, TitlesAndLabels) {
    struct Case {
        F category;
        std::string title;
        std::string label;
    };
    const Case cases[] = {
        {F::all, "All ports", "All ports filter"},
        {F::agents, "Agent ports", "Agent ports filter \u2014 ports attributed to agents"},
        {F::codex, "Codex ports", "Codex ports filter \u2014 ports attributed to Codex"},
        {F::claude, "Claude ports", "Claude ports filter \u2014 ports attributed to Claude"},
        {F::node, "Node", "Node filter"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PortsChipRail::chipTitle(c.category), c.title);
        EXPECT_EQ(PortsChipRail::chipAccessibilityLabel(c.category), c.label);
    }
    EXPECT_EQ(PortsChipRail::exactScopeTitle(AgentKind::codex), "Ports related to this Codex agent");
    EXPECT_EQ(PortsChipRail::exactScopeAccessibilityLabel(AgentKind::claude),
              "Remove exact agent scope: ports related to this Claude agent");
}

TEST(SortMenuModel, TitlesAndWrapping) {
    EXPECT_EQ(SortMenuModel::itemCount(), 5);
    EXPECT_EQ(SortMenuModel::title(ListenerSortMode::memory), "Memory");
    EXPECT_EQ(SortMenuModel::indexOf(ListenerSortMode::uptime), 3);
    // Up from "Port" reaches "Refresh now"; Down from it comes back to "Port".
    EXPECT_EQ(SortMenuModel::moved(SortMenuModel::indexOf(ListenerSortMode::port), -1), 4);
    EXPECT_EQ(SortMenuModel::moved(4, +1), 0);
    EXPECT_EQ(SortMenuModel::moved(2, +1), 3);
}

}  // namespace
}  // namespace quaylight
