// The long Ports list: widgets only for the rows in or near the view, handed from row to row as
// the list scrolls, each showing its row's texts and state and never its previous row's.

#include <gtest/gtest.h>

#include <QEnterEvent>
#include <QLabel>
#include <QTest>
#include <algorithm>
#include <cstdlib>

#include "Quaylight/popover/frame/ElidedLabel.h"
#include "Quaylight/popover/frame/HoverTint.h"
#include "Quaylight/popover/list/ActivityPulseClock.h"
#include "Quaylight/popover/menus/ListenerActionMenu.h"
#include "tests/Quaylight/design/support/Rendering.h"
#include "tests/Quaylight/popover/list/LongList.h"

namespace quaylight {
namespace {

using test::LongListPanel;

std::vector<ListenerRowView*> rowWidgets(const ListenerListView* list) {
    const auto found = list->findChildren<ListenerRowView*>();
    return {found.begin(), found.end()};
}

// Every row that has a widget: the widget stands where the layout puts the row, shows its texts
// and its state, and no hover the pointer did not give it.
void expectBoundRowsTrue(const ListenerListView* list) {
    const auto& rows = list->rowTexts();
    const auto& layout = list->rowLayout();
    int bound = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        auto* view = list->row(rows[i].id);
        if (!view) continue;
        ++bound;
        SCOPED_TRACE(i);
        EXPECT_TRUE(view->isVisible());
        EXPECT_EQ(view->texts(), rows[i]);
        EXPECT_EQ(view->rowState(), list->stateOf(rows[i].id));
        EXPECT_EQ(view->geometry(), QRect(0, layout.tops[i], view->parentWidget()->width(), layout.heights[i]));
        EXPECT_EQ(view->height(), view->sizeHint().height());
        EXPECT_EQ(view->findChild<ElidedLabel*>(QStringLiteral("title"))->accessibleName(),
                  QString::fromStdString(rows[i].title));
        EXPECT_EQ(view->findChild<QLabel*>(QStringLiteral("pid"))->text(), QString::fromStdString(rows[i].pidText));
        EXPECT_FALSE(view->hover().isHovering());
        EXPECT_EQ(view->hover().value(), 0.0);
    }
    EXPECT_GT(bound, 0);
}

// How many row widgets at most a list of any length may hold: the rows that fit in the view
// and the margins around it, the selected row and the one with its menu open, the pool's
// spares.
int widgetBound(const ListenerListView* list) {
    const auto& heights = list->rowLayout().heights;
    const int lowest = *std::min_element(heights.begin(), heights.end());
    return (list->viewport()->height() + 2 * 120) / lowest + 2 + 2 + 6;
}

TEST(ListenerListView, BuildsWidgetsForTheRowsInViewWhateverTheListsLength) {
    std::vector<int> rowViews;
    std::vector<int> widgets;
    for (const int count : {200, 2000}) {
        LongListPanel p(count);
        SCOPED_TRACE(count);
        ASSERT_EQ(p.list()->rowOrder().size(), static_cast<std::size_t>(count));
        const int bound = widgetBound(p.list());
        EXPECT_LT(bound, 40);
        for (const int scroll : {0, p.list()->verticalScrollBar()->maximum() / 2, p.list()->verticalScrollBar()->maximum()}) {
            p.scrollTo(scroll);
            EXPECT_LE(static_cast<int>(rowWidgets(p.list()).size()), bound) << "at " << scroll;
            expectBoundRowsTrue(p.list());
        }
        rowViews.push_back(static_cast<int>(rowWidgets(p.list()).size()));
        widgets.push_back(static_cast<int>(p.list()->findChildren<QWidget*>().size()));
        // The content is as high as every row: the scroll bar spans the whole list.
        EXPECT_EQ(p.list()->widget()->height(), p.list()->rowLayout().height);
        EXPECT_GT(p.list()->rowLayout().height, count * 40);
    }
    // Ten times the rows, not one widget more.
    EXPECT_EQ(rowViews[0], rowViews[1]);
    EXPECT_EQ(widgets[0], widgets[1]);
}

TEST(ListenerListView, RowHeightsFollowWhatTheRowShows) {
    LongListPanel p(20);
    const auto& rows = p.list()->rowTexts();
    const auto& heights = p.list()->rowLayout().heights;
    // Rows 0 and 4: with and without the path line.
    ASSERT_TRUE(rows[0].path && !rows[4].path);
    EXPECT_GT(heights[0], heights[4]);
    const int comfortable = heights[0];
    p.h.update([](PopoverInputs& i) { i.rowDensity = DisplaySettings::RowDensity::compact; });
    QApplication::processEvents();
    EXPECT_LT(p.list()->rowLayout().heights[0], comfortable);
    expectBoundRowsTrue(p.list());
}

TEST(ListenerListView, ScrollingToTheEndHandsTheWidgetsOnWithoutTheirOldRowsLook) {
    LongListPanel p(2000);
    auto* list = p.list();
    const auto ids = list->rowOrder();
    // The pointer over the second row, the fourth selected, the first's menu once opened.
    ListenerRowView* hovered = list->row(ids[1]);
    ASSERT_NE(hovered, nullptr);
    QEnterEvent enter(QPointF(10, 10), QPointF(10, 10), QPointF(10, 10));
    QApplication::sendEvent(hovered, &enter);
    ASSERT_TRUE(hovered->hover().isHovering());
    QTest::mouseClick(list->row(ids[3]), Qt::LeftButton, {}, QPoint(200, 10));
    ListenerRowView* selected = list->row(ids[3]);
    ASSERT_TRUE(selected->rowState().isSelected);
    // Down and back up: the selection moves on and the old row is plain again.
    p.h.key(Qt::Key_Down);
    p.h.key(Qt::Key_Up);
    ASSERT_EQ(list->stateOf(ids[3]).isSelected, true);
    p.h.key(Qt::Key_Down);

    p.scrollToEnd();
    EXPECT_EQ(list->row(ids[1]), nullptr) << "the rows far above the view keep no widget";
    ListenerRowView* last = list->row(ids.back());
    ASSERT_NE(last, nullptr);
    const QRect area(last->mapTo(list->viewport(), QPoint(0, 0)), last->size());
    EXPECT_TRUE(list->viewport()->rect().contains(area));
    EXPECT_EQ(last->texts().id, ids.back());
    expectBoundRowsTrue(list);
    // The selected row keeps its widget off screen; the hovered one's now serves another row.
    EXPECT_NE(list->row(ids[4]), nullptr);
    EXPECT_TRUE(list->row(ids[4])->rowState().isSelected);
    bool servesAnother = false;
    for (const auto& id : ids)
        if (list->row(id) == hovered) servesAnother = id != ids[1];
    EXPECT_TRUE(servesAnother || hovered->isHidden());
    EXPECT_FALSE(hovered->hover().isHovering());
    EXPECT_EQ(hovered->hover().value(), 0.0);
}

TEST(ListenerListView, ArrowKeysReachTheLastRowAndBringItIntoView) {
    LongListPanel p(2000);
    auto* list = p.list();
    const auto ids = list->rowOrder();
    ASSERT_TRUE(list->hasFocus());
    ASSERT_TRUE(list->stateOf(ids[0]).isSelected);
    p.h.key(Qt::Key_Up);  // from the first row up to the last
    QApplication::processEvents();
    ASSERT_TRUE(list->stateOf(ids.back()).isSelected);
    ListenerRowView* last = list->row(ids.back());
    ASSERT_NE(last, nullptr);
    EXPECT_TRUE(last->rowState().isSelected);
    const QRect area(last->mapTo(list->viewport(), QPoint(0, 0)), last->size());
    EXPECT_TRUE(list->viewport()->rect().contains(area));
    expectBoundRowsTrue(list);
    // And down again, round to the top.
    p.h.key(Qt::Key_Down);
    QApplication::processEvents();
    EXPECT_EQ(list->verticalScrollBar()->value(), 0);
    EXPECT_TRUE(list->row(ids[0])->rowState().isSelected);
}

TEST(ListenerListView, OnlyRowsInViewPulse) {
    LongListPanel p(2000);
    for (const auto& id : p.list()->rowOrder()) p.h.inputs.activityByID[id] = ActivityLevel::high;
    installReduceMotion(&p.h.window, std::make_shared<FakeReduceMotion>(false));
    p.h.apply();
    QApplication::processEvents();
    auto* list = p.list();
    for (const int scroll : {0, list->verticalScrollBar()->maximum() / 3}) {
        p.scrollTo(scroll);
        int inView = 0;
        for (const auto& id : list->rowOrder()) {
            auto* view = list->row(id);
            if (!view) continue;
            const QRect area(view->mapTo(list->viewport(), QPoint(0, 0)), view->size());
            const bool shows = area.intersects(list->viewport()->rect());
            EXPECT_EQ(view->isPulsing(), shows) << id;
            inView += shows ? 1 : 0;
        }
        EXPECT_GT(inView, 3);
        EXPECT_EQ(list->pulseClock()->subscriberCount(), inView);
    }
}

TEST(ListenerListView, TheMenuOfARowScrolledFarAwayStaysAnchoredToItsRow) {
    LongListPanel p(2000);
    auto* list = p.list();
    const auto ids = list->rowOrder();
    list->scrollToRow(ids[1000], false);
    QApplication::processEvents();
    auto* menu = p.h.openActionMenu(ids[1000]);
    ASSERT_NE(menu, nullptr);
    // Scrolled away, the row keeps its widget while its menu is open; scrolled back, the menu
    // still opens against it.
    p.scrollTo(0);
    ASSERT_NE(list->row(ids[1000]), nullptr);
    p.h.key(Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_EQ(p.h.root->actionMenu(), nullptr);
    list->scrollToRow(ids[1500], false);
    QApplication::processEvents();
    ASSERT_NE(p.h.openActionMenu(ids[1500]), nullptr);
    auto* row = list->row(ids[1500]);
    const QRect rowArea(row->mapTo(p.h.root, QPoint(0, 0)), row->size());
    const QRect menuArea = p.h.root->actionMenu()->geometry();
    EXPECT_LE(std::abs(menuArea.center().y() - rowArea.center().y()), menuArea.height() / 2 + rowArea.height());
}

// Pictures of a long list, scrolled to its middle and to its end.
TEST(ListenerListView, Gallery) {
    LongListPanel p(2000);
    p.list()->scrollToRow(p.list()->rowOrder()[1000], false);
    QApplication::processEvents();
    test::saveToGallery(test::render(p.h.window), QStringLiteral("ports-list-2000-middle"));
    p.scrollToEnd();
    p.h.key(Qt::Key_Up);
    QApplication::processEvents();
    test::saveToGallery(test::render(p.h.window), QStringLiteral("ports-list-2000-end"));
}

}  // namespace
}  // namespace quaylight
