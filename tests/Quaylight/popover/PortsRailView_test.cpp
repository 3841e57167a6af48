// The Ports rail in the real popover: which chips it shows and how they are announced, the
// exact-scope chip, the sideways wheel, the active chip kept in view, and the sort trigger
// sharing the popup layer with the row menu.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include "Quaylight/popover/cards/ConfirmationOverlay.h"
#include "Quaylight/popover/frame/PortsRailView.h"
#include "Quaylight/popover/menus/ListenerActionMenu.h"
#include "Quaylight/popover/menus/SortMenu.h"
#include "tests/Quaylight/design/support/Rendering.h"
#include "tests/Quaylight/popover/PopoverHarness.h"
#include "tests/QuaylightKit/Listeners.h"

namespace quaylight {
namespace {

using namespace testsupport;
using test::PopoverHarness;

PortListener runtimeRow(std::int32_t pid, std::int64_t port, Runtime runtime,
                        std::optional<AgentKind> origin = std::nullopt) {
    auto l = makeListener(pid, port);
    l.classification.runtime = runtime;
    l.agentOrigin = origin;
    return l;
}

const AgentProcessIdentity kAgent{{77, 7, 0}, AgentKind::codex};

// Node and Python rows, the Node one started by the Codex agent kAgent.
ScanResult mixedRows() {
    auto byAgent = runtimeRow(10, 3000, Runtime::node, AgentKind::codex);
    byAgent.agentProcess = kAgent;
    return resultOf({byAgent, runtimeRow(11, 8000, Runtime::python)});
}

// The panel open on mixedRows(), after `setUp` has adjusted its inputs.
struct MixedPanel : PopoverHarness {
    explicit MixedPanel(const std::function<void(PopoverInputs&)>& setUp = {}) {
        inputs.state = mixedRows();
        if (setUp) setUp(inputs);
        apply();
        show();
    }
};

std::vector<QString> names(const std::vector<QAbstractButton*>& buttons) {
    std::vector<QString> result;
    for (auto* b : buttons) result.push_back(b->accessibleName());
    return result;
}

QAbstractButton* chipOf(PopoverHarness& h, FilterCategory category) { return h.root->rail()->chip(category); }

void clickChip(PopoverHarness& h, FilterCategory category) {
    QTest::mouseClick(chipOf(h, category), Qt::LeftButton);
    QApplication::processEvents();
}

TEST(PortsRailView, ChipsInFixedOrderWithTheActiveOneKept) {
    struct Case {
        FilterCategory active;
        std::vector<QString> names;
    };
    const QString all = QStringLiteral("All ports filter");
    const QString agents = QStringLiteral("Agent ports filter \u2014 ports attributed to agents");
    const QString codex = QStringLiteral("Codex ports filter \u2014 ports attributed to Codex");
    const QString node = QStringLiteral("Node filter");
    const QString python = QStringLiteral("Python filter");
    const std::vector<Case> cases{
        {FilterCategory::all, {all, agents, codex, node, python}},
        {FilterCategory::node, {all, agents, codex, node, python}},
        // Not offered by the scan, yet shown at its fixed place while active.
        {FilterCategory::claude,
         {all, agents, codex, QStringLiteral("Claude ports filter \u2014 ports attributed to Claude"), node, python}},
        {FilterCategory::go, {all, agents, codex, node, python, QStringLiteral("Go filter")}},
    };
    for (const auto& c : cases) {
        MixedPanel h([&](PopoverInputs& i) { i.filter = c.active; });
        const auto chips = h.root->rail()->chips();
        EXPECT_EQ(names(chips), c.names) << static_cast<int>(c.active);
        for (auto* chip : chips) {
            const bool active = chip == chipOf(h, c.active);
            EXPECT_EQ(chip->isChecked(), active);
            EXPECT_EQ(chip->accessibleDescription(), active ? QStringLiteral("Selected") : QStringLiteral("Not selected"));
            EXPECT_EQ(chip->focusPolicy(), Qt::NoFocus);
        }
        EXPECT_EQ(chipOf(h, FilterCategory::all)->text(), QStringLiteral("All ports"));
    }
}

TEST(PortsRailView, ChipClickSetsAndRemembersTheFilterAndKeepsTheKeysOnTheList) {
    MixedPanel h;
    ASSERT_TRUE(h.list()->hasFocus());
    clickChip(h, FilterCategory::python);
    EXPECT_EQ(h.inputs.filter, FilterCategory::python);
    EXPECT_EQ(h.filterPersists, 1);
    EXPECT_EQ(chipOf(h, FilterCategory::python)->accessibleDescription(), QStringLiteral("Selected"));
    EXPECT_EQ(chipOf(h, FilterCategory::all)->accessibleDescription(), QStringLiteral("Not selected"));
    EXPECT_TRUE(h.list()->hasFocus());
    // The active chip again: the same filter, remembered again.
    clickChip(h, FilterCategory::python);
    EXPECT_EQ(h.inputs.filter, FilterCategory::python);
    EXPECT_EQ(h.filterPersists, 2);
}

TEST(PortsRailView, ExactScopeChipStandsFirstAndClickingRemovesOnlyTheScope) {
    struct Case {
        AgentKind provider;
        QString title;
        QString name;
    };
    const std::vector<Case> cases{
        {AgentKind::codex, QStringLiteral("Ports related to this Codex agent"),
         QStringLiteral("Remove exact agent scope: ports related to this Codex agent")},
        {AgentKind::claude, QStringLiteral("Ports related to this Claude agent"),
         QStringLiteral("Remove exact agent scope: ports related to this Claude agent")},
    };
    for (const auto& c : cases) {
        MixedPanel h([&](PopoverInputs& i) { i.filter = FilterCategory::node; });
        EXPECT_FALSE(h.root->rail()->scopeChip());
        h.update([&](PopoverInputs& i) {
            i.exactAgentScope = kAgent;
            i.exactAgentScopeProvider = c.provider;
        });
        auto* scope = h.root->rail()->scopeChip();
        ASSERT_TRUE(scope);
        EXPECT_EQ(scope->text(), c.title);
        EXPECT_EQ(scope->accessibleName(), c.name);
        EXPECT_TRUE(scope->isVisible());
        EXPECT_EQ(scope->focusPolicy(), Qt::NoFocus);
        EXPECT_LT(scope->mapTo(h.root, QPoint()).x(), h.root->rail()->chipScroller()->mapTo(h.root, QPoint()).x());
        EXPECT_EQ(h.rowIDs().size(), 1u);  // the agent's own row
        // The filter chips stay usable beside it.
        EXPECT_EQ(names(h.root->rail()->chips()).size(), 4u);
        if (c.provider == kAgent.kind)
            test::saveToGallery(test::render(*h.root, 2.0), QStringLiteral("ports-rail-exact-scope"));
        QTest::mouseClick(scope, Qt::LeftButton);
        QApplication::processEvents();
        EXPECT_FALSE(h.inputs.exactAgentScope);
        EXPECT_FALSE(h.root->rail()->scopeChip());
        EXPECT_EQ(h.inputs.filter, FilterCategory::node);  // the filter stays
        EXPECT_EQ(h.root->rail()->chips().size(), 5u);
    }
}

// A rail narrower than its twelve chips, as on a panel with a long scope chip.
struct NarrowRail {
    QWidget window;
    PortsRailView* rail = new PortsRailView(&window);

    NarrowRail() {
        window.resize(320, 40);
        rail->setGeometry(0, 0, 320, 40);
        PortsRailView::State state;
        for (int i = 0; i <= static_cast<int>(FilterCategory::other); ++i)
            state.chips.push_back(static_cast<FilterCategory>(i));
        rail->set(state);
        window.show();
        QApplication::processEvents();
    }
    QScrollBar* bar() const { return rail->chipScroller()->horizontalScrollBar(); }
    // Whether the whole chip lies inside the scroller's visible part.
    bool inView(FilterCategory category) const {
        auto* viewport = rail->chipScroller()->viewport();
        auto* chip = rail->chip(category);
        return viewport->rect().contains(QRect(chip->mapTo(viewport, QPoint()), chip->size()));
    }
    void wheel(QPoint angle) {
        auto* viewport = rail->chipScroller()->viewport();
        const QPointF at(viewport->width() / 2.0, viewport->height() / 2.0);
        QWheelEvent event(at, viewport->mapToGlobal(at), QPoint(), angle, Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewport, &event);
    }
};

TEST(PortsRailView, TheVerticalWheelScrollsTheChipsSideways) {
    NarrowRail r;
    ASSERT_GT(r.bar()->maximum(), 0);
    EXPECT_EQ(r.bar()->value(), 0);
    EXPECT_FALSE(r.inView(FilterCategory::other));
    // Turning the wheel towards the user moves on to later chips, until the last one shows.
    for (int i = 0; i < 40 && !r.inView(FilterCategory::other); ++i) r.wheel(QPoint(0, -120));
    EXPECT_TRUE(r.inView(FilterCategory::other));
    EXPECT_EQ(r.bar()->value(), r.bar()->maximum());
    r.wheel(QPoint(0, 120));
    EXPECT_LT(r.bar()->value(), r.bar()->maximum());
    // A horizontal wheel works too.
    for (int i = 0; i < 40 && r.bar()->value() > 0; ++i) r.wheel(QPoint(120, 0));
    EXPECT_EQ(r.bar()->value(), 0);
    EXPECT_TRUE(r.inView(FilterCategory::all));
}

TEST(PortsRailView, ANewlyActiveChipScrollsIntoView) {
    NarrowRail r;
    for (auto category : {FilterCategory::other, FilterCategory::all, FilterCategory::deno, FilterCategory::agents}) {
        auto state = r.rail->state();
        state.active = category;
        r.rail->set(state);
        EXPECT_TRUE(r.inView(category)) << static_cast<int>(category);
        EXPECT_TRUE(r.rail->chip(category)->isChecked());
    }
}

TEST(PortsRailView, SortTriggerOpensTheMenuInThePopupLayer) {
    MixedPanel h([&](PopoverInputs& i) { i.sortMode = ListenerSortMode::memory; });
    auto* trigger = h.root->rail()->sortTrigger();
    EXPECT_EQ(trigger->text(), QStringLiteral("Sort: Memory"));
    EXPECT_EQ(trigger->accessibleName(), QStringLiteral("Sort listeners"));
    EXPECT_EQ(trigger->accessibleDescription(), QStringLiteral("Memory"));
    EXPECT_EQ(trigger->toolTip(), QStringLiteral("Sort listeners or refresh"));
    EXPECT_EQ(trigger->focusPolicy(), Qt::NoFocus);

    QTest::mouseClick(trigger, Qt::LeftButton);
    QApplication::processEvents();
    auto* menu = h.root->sortMenu();
    ASSERT_TRUE(menu);
    EXPECT_TRUE(h.root->showSortMenu());
    EXPECT_EQ(menu->parentWidget(), h.root);
    EXPECT_TRUE(h.root->rect().contains(menu->geometry()));
    const auto children = h.root->children();
    EXPECT_LT(children.indexOf(menu), children.indexOf(h.root->overlay()));
    // It hangs below the trigger, their trailing edges together.
    const QRect triggerRect(trigger->mapTo(h.root, QPoint()), trigger->size());
    EXPECT_EQ(menu->geometry().right(), triggerRect.right());
    EXPECT_EQ(menu->geometry().top(), triggerRect.top() + 28);
    EXPECT_TRUE(menu->hasFocus());
    EXPECT_EQ(menu->highlightedIndex(), 2);
    test::saveToGallery(test::render(*h.root, 2.0), QStringLiteral("ports-rail-sort-menu"));

    // Down to "Uptime", Return: chosen and closed; the trigger shows it.
    h.key(Qt::Key_Down);
    h.key(Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(h.inputs.sortMode, ListenerSortMode::uptime);
    EXPECT_FALSE(h.root->sortMenu());
    EXPECT_EQ(trigger->text(), QStringLiteral("Sort: Uptime"));
    EXPECT_TRUE(h.list()->hasFocus());

    // The trigger closes what it opened.
    QTest::mouseClick(trigger, Qt::LeftButton);
    ASSERT_TRUE(h.root->sortMenu());
    QTest::mouseClick(trigger, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_FALSE(h.root->sortMenu());
}

TEST(PortsRailView, OneMenuAtATimeAndACardClosesThem) {
    MixedPanel h;
    const auto ids = h.rowIDs();
    auto* trigger = h.root->rail()->sortTrigger();

    // The row menu closes when the sort menu opens, and the other way round.
    QTest::mouseClick(h.list()->row(ids[0]), Qt::RightButton, {}, QPoint(200, 10));
    QApplication::processEvents();
    ASSERT_TRUE(h.root->actionMenu());
    QTest::mouseClick(trigger, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_FALSE(h.root->actionMenu());
    EXPECT_FALSE(h.root->expandedActionsListenerID());
    ASSERT_TRUE(h.root->sortMenu());
    QTest::mouseClick(h.list()->row(ids[1]), Qt::RightButton, {}, QPoint(200, 10));
    QApplication::processEvents();
    EXPECT_FALSE(h.root->sortMenu());
    EXPECT_TRUE(h.root->actionMenu());

    // A chip click closes both.
    QTest::mouseClick(trigger, Qt::LeftButton);
    clickChip(h, FilterCategory::node);
    EXPECT_FALSE(h.root->sortMenu());
    EXPECT_FALSE(h.root->actionMenu());

    // A raised card closes the sort menu, which does not come back with the card gone.
    QTest::mouseClick(trigger, Qt::LeftButton);
    ASSERT_TRUE(h.root->sortMenu());
    h.update([](PopoverInputs& i) { i.pending.stopVisible = StopVisibleRequest{"x", 1, {}}; });
    QApplication::processEvents();
    EXPECT_FALSE(h.root->sortMenu());
    h.update([](PopoverInputs& i) { i.pending = {}; });
    EXPECT_FALSE(h.root->sortMenu());
    EXPECT_FALSE(h.root->showSortMenu());
}

TEST(PortsRailView, RefreshNowAsksForAScanAndEscapeClosesOnlyTheMenu) {
    MixedPanel h;
    QTest::mouseClick(h.root->rail()->sortTrigger(), Qt::LeftButton);
    QApplication::processEvents();
    ASSERT_TRUE(h.root->sortMenu());
    h.key(Qt::Key_Up);  // from "Port" round to "Refresh now"
    h.key(Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(h.scans, 1);
    EXPECT_FALSE(h.root->sortMenu());

    QTest::mouseClick(h.root->rail()->sortTrigger(), Qt::LeftButton);
    QApplication::processEvents();
    ASSERT_TRUE(h.root->sortMenu());
    h.key(Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_FALSE(h.root->sortMenu());
    EXPECT_EQ(h.dismissals, 0);
    EXPECT_TRUE(h.window.keys.empty());  // no key of the menu's reached the panel's window
    EXPECT_EQ(h.inputs.sortMode, ListenerSortMode::port);
}

TEST(PortsRailView, NoRailInAgentsMode) {
    MixedPanel h;
    EXPECT_TRUE(h.root->rail()->isVisible());
    h.update([](PopoverInputs& i) { i.panelMode = PanelMode::agents; });
    EXPECT_FALSE(h.root->rail()->isVisible());
}

}  // namespace
}  // namespace quaylight
