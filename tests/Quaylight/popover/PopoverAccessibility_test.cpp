// What a keyboard or screen-reader user gets from the popover: plain tooltips and
// descriptions, the selection the keys act on (kept, in view, exposed as selected and
// focused), the keys in the list after the first run and on each opening, a row menu's
// highlighted entry focused, and rows (ports and agents) in the accessibility tree in the
// order they stand on screen. (Offscreen, Qt hands accessibility events to nobody: the
// announcements themselves are heard by the AT-SPI end-to-end scenario.)

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QToolTip>

#include "Quaylight/design/controls/PremiumMenu.h"
#include "Quaylight/design/platform/FakeReduceMotion.h"
#include "Quaylight/popover/agents/AgentHostSectionView.h"
#include "Quaylight/popover/agents/AgentListView.h"
#include "Quaylight/popover/agents/AgentRowView.h"
#include "Quaylight/popover/frame/DisplayText.h"
#include "Quaylight/popover/frame/ModeSearchBar.h"
#include "tests/Quaylight/design/support/Rendering.h"
#include "tests/Quaylight/popover/AgentSessions.h"
#include "tests/Quaylight/popover/PopoverHarness.h"
#include "tests/QuaylightKit/Listeners.h"

namespace quaylight {
namespace {

using namespace testsupport;
using test::PopoverHarness;

PortListener webRow(std::int32_t pid, std::int64_t port) {
    auto l = makeListener(pid, port, "/usr/bin/node");
    l.endpoints = {BoundEndpoint{"127.0.0.1", AddressFamily::ipv4, port}};
    l.bindScope = BindScope::loopbackOnly;
    return l;
}

// `count` rows on ports 3000, 3001, ...: more than the list shows at once.
std::vector<PortListener> manyRows(int count) {
    std::vector<PortListener> rows;
    for (int i = 0; i < count; ++i) {
        rows.push_back(webRow(100 + i, 3000 + i));
        rows.back().process.edit().residentMemoryBytes = static_cast<std::uint64_t>(i + 1) * 1'000'000;
    }
    return rows;
}

QAccessibleInterface* accessibleOf(QWidget* widget) { return QAccessible::queryAccessibleInterface(widget); }

// Whether the row lies wholly inside the list's visible part.
bool inView(PopoverHarness& h, const std::string& id) {
    QApplication::processEvents();
    auto* list = h.list();
    const auto index = list->indexOf(id);
    if (!index) return false;
    // A row far from the view has no widget: the list's layout says where it stands.
    auto* row = list->row(id);
    const QRect area = row ? QRect(row->mapTo(list->viewport(), QPoint(0, 0)), row->size())
                           : list->rowRectInViewport(*index);
    return list->viewport()->rect().contains(area);
}

// The tooltip Qt would show for `text`, as laid out on screen.
QWidget* shownTooltip(QWidget* owner) {
    QToolTip::showText(owner->mapToGlobal(QPoint(4, 4)), owner->toolTip(), owner);
    QApplication::processEvents();
    for (auto* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == QStringLiteral("qtooltip_label") && widget->isVisible()) return widget;
    return nullptr;
}

TEST(PopoverAccessibility, RowTooltipKeepsOneSafeLinePerFactAndReadsPlain) {
    PopoverHarness h;
    auto l = webRow(10, 3000);
    l.classification.framework = Framework::vite;
    l.classification.confidence = Confidence::high;
    l.project = ListenerProject{"proj\ngit<b>", std::nullopt};
    h.inputs.state = resultOf({l});
    h.apply();
    auto* row = h.list()->row(l.id());
    const QString expected = QStringLiteral("PID 10\n") + QString::fromStdString(*l.openableURL()) +
                             QStringLiteral("\nDetected: Vite\nProject: proj?git<b>");
    // A line feed between facts stays a break; the one inside the project name is shown as "?".
    EXPECT_EQ(displayLines(h.list()->row(l.id())->texts().tooltipLines), expected);
    EXPECT_EQ(row->accessibleDescription(), expected);
    EXPECT_EQ(accessibleOf(row)->text(QAccessible::Description), expected);
    EXPECT_FALSE(accessibleOf(row)->text(QAccessible::Description).contains(QStringLiteral("<qt")));
    EXPECT_EQ(row->toolTip().count(QStringLiteral("<br>")), 3);

    auto* badge = row->findChild<QWidget*>(QStringLiteral("classificationBadge"));
    EXPECT_EQ(accessibleOf(badge)->text(QAccessible::Name), QStringLiteral("Vite, high confidence"));
    EXPECT_EQ(accessibleOf(badge)->text(QAccessible::Description), QStringLiteral("Vite · high confidence"));

    // On screen the badge's tooltip is one line and the row's one line per fact.
    h.show();
    QWidget* tip = shownTooltip(badge);
    ASSERT_NE(tip, nullptr);
    const int line = tip->fontMetrics().lineSpacing();
    EXPECT_LT(tip->height(), 2 * line) << "the badge's tooltip wraps";
    test::saveToGallery(test::render(*tip), QStringLiteral("tooltip-badge"));
    tip = shownTooltip(row);
    ASSERT_NE(tip, nullptr);
    EXPECT_LT(tip->height(), 5 * line) << "the row's tooltip wraps a line";
    EXPECT_GE(tip->height(), 4 * line);
    test::saveToGallery(test::render(*tip), QStringLiteral("tooltip-row"));
    QToolTip::hideText();
}

TEST(PopoverAccessibility, TheSelectedRowIsASelectedListItemFocusedWhileTheListHasTheKeys) {
    PopoverHarness h;
    h.inputs.state = resultOf({webRow(10, 3000), webRow(11, 4000), webRow(12, 5000)});
    h.apply();
    h.show();
    const auto ids = h.rowIDs();
    auto* first = accessibleOf(h.list()->row(ids[0]));
    auto* second = accessibleOf(h.list()->row(ids[1]));
    EXPECT_EQ(first->role(), QAccessible::ListItem);
    EXPECT_EQ(first->text(QAccessible::Name), QStringLiteral("node"));
    ASSERT_TRUE(h.list()->hasFocus());
    EXPECT_TRUE(first->state().selected);
    EXPECT_TRUE(first->state().focused);
    EXPECT_TRUE(second->state().selectable);
    EXPECT_FALSE(second->state().selected);
    EXPECT_FALSE(second->state().focused);

    // Down: the next row is the selected and focused one (the AT-SPI end-to-end scenario
    // hears the announcement; offscreen, Qt passes accessibility events to nobody).
    h.key(Qt::Key_Down);
    EXPECT_TRUE(second->state().selected);
    EXPECT_TRUE(second->state().focused);
    EXPECT_FALSE(first->state().selected);
    EXPECT_FALSE(first->state().focused);

    // In the search field the keys no longer reach the list: selected, not focused.
    h.root->searchBar()->searchField()->setFocus();
    EXPECT_TRUE(second->state().selected);
    EXPECT_FALSE(second->state().focused);
    h.key(Qt::Key_Down);  // back into the list
    EXPECT_TRUE(second->state().focused);
}

TEST(PopoverAccessibility, AStoppedRowsSelectionMovesToTheFirstRowAndTheListScrollsThere) {
    PopoverHarness h;
    installReduceMotion(&h.window, std::make_shared<FakeReduceMotion>(true));
    auto rows = manyRows(30);
    h.inputs.state = resultOf(rows);
    h.apply();
    h.show();
    const auto ids = h.rowIDs();
    h.key(Qt::Key_Up);  // wraps to the last row, far down
    EXPECT_EQ(h.root->selectedListenerID(), ids.back());
    EXPECT_TRUE(inView(h, ids.back()));
    EXPECT_FALSE(inView(h, ids.front()));
    // k, Return: the stopped row leaves the next scan.
    h.key(Qt::Key_K);
    ASSERT_TRUE(h.inputs.pending.kill);
    h.key(Qt::Key_Return);
    rows.pop_back();
    h.update([&](PopoverInputs& i) { i.state = resultOf(rows); });
    EXPECT_EQ(h.root->selectedListenerID(), ids.front());
    EXPECT_TRUE(inView(h, ids.front()));
}

TEST(PopoverAccessibility, ReopeningKeepsASelectionThatIsStillListedAndInView) {
    PopoverHarness h;
    installReduceMotion(&h.window, std::make_shared<FakeReduceMotion>(true));
    const auto rows = manyRows(30);
    h.inputs.state = resultOf(rows);
    h.apply();
    h.show();
    const auto ids = h.rowIDs();
    for (int i = 0; i < 25; ++i) h.key(Qt::Key_Down);
    EXPECT_EQ(h.root->selectedListenerID(), ids[25]);
    const int scrolled = h.list()->verticalScrollBar()->value();
    EXPECT_GT(scrolled, 0);
    // Escape, reopen: every opening scans afresh, and the list shows the loading state first.
    h.update([](PopoverInputs& i) { i.state = PortsLoading{}; });
    h.update([&](PopoverInputs& i) { i.state = resultOf(rows); });
    EXPECT_EQ(h.root->selectedListenerID(), ids[25]);
    EXPECT_EQ(h.list()->verticalScrollBar()->value(), scrolled);
    EXPECT_TRUE(inView(h, ids[25]));
    test::saveToGallery(test::render(h.window), QStringLiteral("ports-list-reopened-selection"));
    // o acts on that row.
    h.key(Qt::Key_O);
    EXPECT_EQ(h.opened, std::vector<std::string>{*rows[25].openableURL()});

    // Listed again in another order (largest memory first), the kept selection is brought
    // into view.
    h.update([](PopoverInputs& i) { i.state = PortsLoading{}; });
    h.update([&](PopoverInputs& i) {
        i.sortMode = ListenerSortMode::memory;
        i.state = resultOf(rows);
    });
    ASSERT_EQ(h.rowIDs().front(), ids.back());
    EXPECT_EQ(h.root->selectedListenerID(), ids[25]);
    EXPECT_TRUE(inView(h, ids[25]));
}

// Finishes both first-run pages from the keyboard: each page's button holds the focus.
void finishFirstRun(PopoverHarness& h) {
    for (const char* page : {"launchAtLoginOffer", "walkthrough"}) {
        auto* button = h.root->findChild<QWidget*>(QString::fromUtf8(page))->findChild<QAbstractButton*>();
        ASSERT_NE(button, nullptr) << page;
        button->setFocusPolicy(Qt::StrongFocus);
        button->setFocus();
        ASSERT_TRUE(button->hasFocus()) << page;
        h.key(Qt::Key_Space);
    }
    ASSERT_EQ(h.root->presentation(), PopoverSurface::listenerList);
    QApplication::processEvents();
}

TEST(PopoverAccessibility, AfterTheFirstRunTheKeysGoToTheList) {
    PopoverHarness h;
    h.inputs.launchAtLoginOfferCompleted = false;
    h.inputs.onboardingComplete = false;
    h.inputs.state = resultOf({webRow(10, 3000), webRow(11, 4000)});
    h.apply();
    h.show();
    finishFirstRun(h);
    EXPECT_TRUE(h.list()->hasFocus());
    EXPECT_FALSE(h.root->searchBar()->searchField()->hasFocus());
    h.key(Qt::Key_K);
    EXPECT_TRUE(h.inputs.pending.kill);
    EXPECT_EQ(h.inputs.searchText, "");

    // The first scan starts only once the first run is over: the loading page takes the
    // keys meanwhile, and hands them to the list, not to the search field.
    PopoverHarness later;
    later.inputs.launchAtLoginOfferCompleted = false;
    later.inputs.onboardingComplete = false;
    later.inputs.state = PortsLoading{};
    later.apply();
    later.show();
    finishFirstRun(later);
    later.update([](PopoverInputs& i) { i.state = resultOf({webRow(10, 3000), webRow(11, 4000)}); });
    QApplication::processEvents();
    EXPECT_TRUE(later.list()->hasFocus());
    EXPECT_FALSE(later.root->searchBar()->searchField()->hasFocus());
}

TEST(PopoverAccessibility, TheListTakesTheKeysOnEachOpeningUnlessTheUserChoseTheSearchField) {
    PopoverHarness h;
    h.inputs.state = resultOf({webRow(10, 3000), webRow(11, 4000)});
    h.inputs.panelMode = PanelMode::agents;
    h.apply();
    h.show();
    // Clicked into on the Agents tab: the ports list, coming on screen, leaves the keys there.
    QLineEdit* search = h.root->searchBar()->searchField();
    QTest::mouseClick(search, Qt::LeftButton);
    ASSERT_TRUE(search->hasFocus());
    h.update([](PopoverInputs& i) { i.panelMode = PanelMode::ports; });
    EXPECT_TRUE(search->hasFocus());
    // Closed and opened again with the scan at hand: the list has the keys again.
    h.update([](PopoverInputs& i) { i.isRevealed = false; });
    h.update([](PopoverInputs& i) { i.isRevealed = true; });
    EXPECT_TRUE(h.list()->hasFocus());
}

TEST(PopoverAccessibility, AnOpenRowMenusHighlightedEntryHasTheFocus) {
    PopoverHarness h;
    const auto row = webRow(10, 3000);
    h.inputs.state = resultOf({row});
    h.apply();
    h.show();
    ListenerActionMenu* menu = h.openActionMenu(row.id());
    ASSERT_NE(menu, nullptr);
    QApplication::processEvents();  // the menu takes the keys on the next turn
    ASSERT_TRUE(menu->hasFocus());
    const auto focused = [&](std::size_t i) {
        return accessibleOf(menu->buttons()[i])->state().focused;
    };
    EXPECT_TRUE(focused(0));  // "Open in Browser"
    EXPECT_FALSE(focused(1));
    h.key(Qt::Key_Down);
    EXPECT_FALSE(focused(0));
    EXPECT_TRUE(focused(1));
}

// The visible children of `parent` that are of `Widget`, in the order assistive technologies
// get them.
template <typename Widget>
std::vector<QObject*> accessibleOrder(QWidget* parent) {
    std::vector<QObject*> listed;
    auto* accessible = accessibleOf(parent);
    for (int i = 0; i < accessible->childCount(); ++i) {
        auto* child = accessible->child(i);
        if (qobject_cast<Widget*>(child->object()) && !child->state().invisible) listed.push_back(child->object());
    }
    return listed;
}

TEST(PopoverAccessibility, RowsStayInScreenOrderForAssistiveTechnologies) {
    PopoverHarness h;
    h.inputs.state = resultOf({webRow(10, 3000), webRow(11, 4000), webRow(12, 5000), webRow(13, 6000)});
    h.apply();
    h.show();
    // A search narrows the list to one row, then widens it again: the others come back new.
    h.update([](PopoverInputs& i) { i.searchText = "5000"; });
    ASSERT_EQ(h.rowIDs().size(), 1u);
    h.update([](PopoverInputs& i) { i.searchText.clear(); });
    const auto ids = h.rowIDs();
    ASSERT_EQ(ids.size(), 4u);
    QApplication::processEvents();
    const auto listed = accessibleOrder<ListenerRowView>(h.list()->row(ids[0])->parentWidget());
    std::vector<QObject*> onScreen;
    int lastY = -1;
    for (const auto& id : ids) {
        auto* row = h.list()->row(id);
        EXPECT_GT(row->y(), lastY);
        lastY = row->y();
        onScreen.push_back(row);
    }
    EXPECT_EQ(listed, onScreen);
}

TEST(PopoverAccessibility, AgentRowsStayInScreenOrderForAssistiveTechnologies) {
    PopoverHarness h;
    h.inputs.state = resultOf({webRow(10, 3000)});
    for (const char* project : {"alpha", "beta", "gamma"}) {
        auto session = test::bareSession(project);
        session.projectName = project;
        h.inputs.agents.sessions.push_back(session);
    }
    h.inputs.agents.freshness = InventoryFreshness::live();
    h.inputs.panelMode = PanelMode::agents;
    h.apply();
    h.show();
    h.update([](PopoverInputs& i) { i.searchText = "beta"; });
    h.update([](PopoverInputs& i) { i.searchText.clear(); });
    QApplication::processEvents();
    auto* section = h.root->agentList()->section("host:unknown");
    ASSERT_NE(section, nullptr);
    ASSERT_EQ(section->rows().size(), 3u);
    std::vector<QObject*> onScreen(section->rows().begin(), section->rows().end());
    int lastY = -1;
    for (auto* row : section->rows()) {
        EXPECT_GT(row->y(), lastY);
        lastY = row->y();
    }
    EXPECT_EQ(accessibleOrder<AgentRowView>(section), onScreen);
}

}  // namespace
}  // namespace quaylight
