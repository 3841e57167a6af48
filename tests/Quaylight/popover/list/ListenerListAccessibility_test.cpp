// What a screen reader reaches of a long Ports list: a list of every row, in order, whether or
// not the row has a widget now; the rows in view are their widgets' own nodes, the others
// light items that say the same, are not showing, and bring their row into view when pressed.

#include <gtest/gtest.h>

#include <QAccessible>
#include <algorithm>
#include <map>

#include "Quaylight/popover/frame/DisplayText.h"
#include "tests/Quaylight/popover/list/LongList.h"

namespace quaylight {
namespace {

using test::LongListPanel;

QAccessibleInterface* listNode(ListenerListView* list) { return QAccessible::queryAccessibleInterface(list); }

// Every child, in order: its row's name and description, its parent the list, its index its
// place; a node of its own widget exactly when the row has one.
void expectChildrenAreTheRows(ListenerListView* list) {
    auto* node = listNode(list);
    const auto& rows = list->rowTexts();
    ASSERT_EQ(node->childCount(), static_cast<int>(rows.size()));
    for (int i = 0; i < node->childCount(); ++i) {
        const auto& texts = rows[static_cast<std::size_t>(i)];
        auto* child = node->child(i);
        ASSERT_NE(child, nullptr) << i;
        ASSERT_TRUE(child->isValid()) << i;
        EXPECT_EQ(child->role(), QAccessible::ListItem) << i;
        EXPECT_EQ(child->text(QAccessible::Name), displayText(texts.title)) << i;
        EXPECT_EQ(child->text(QAccessible::Description), displayLines(texts.tooltipLines)) << i;
        EXPECT_EQ(child->parent(), node) << i;
        EXPECT_EQ(node->indexOfChild(child), i) << i;
        EXPECT_EQ(child->object(), list->row(texts.id)) << i;
        EXPECT_EQ(child->state().selected, list->stateOf(texts.id).isSelected) << i;
    }
}

bool showing(QAccessibleInterface* node) { return !node->state().invisible && !node->state().offscreen; }

TEST(ListenerListAccessibility, TheListNamesEveryRowInOrder) {
    LongListPanel p(2000);
    auto* list = p.list();
    auto* node = listNode(list);
    EXPECT_EQ(node->role(), QAccessible::List);
    EXPECT_EQ(node->text(QAccessible::Name), QStringLiteral("Listeners"));
    expectChildrenAreTheRows(list);
    p.scrollTo(list->verticalScrollBar()->maximum() / 2);
    expectChildrenAreTheRows(list);

    // The rows in view show, each at its place on screen; the others do not.
    int shown = 0;
    int lastY = -1;
    for (int i = 0; i < node->childCount(); ++i) {
        auto* child = node->child(i);
        const QRect area = list->rowRectInViewport(static_cast<std::size_t>(i));
        const bool inView = area.intersects(list->viewport()->rect());
        EXPECT_EQ(showing(child), inView) << i;
        if (!inView) continue;
        ++shown;
        EXPECT_NE(child->object(), nullptr) << "a row in view is its widget's own node";
        EXPECT_GT(child->rect().y(), lastY);
        lastY = child->rect().y();
        EXPECT_EQ(child->rect(), QRect(list->viewport()->mapToGlobal(area.topLeft()), area.size()));
    }
    EXPECT_GT(shown, 3);
    // The point in a row finds it.
    const QRect middle = node->child(1000)->rect();
    EXPECT_EQ(node->childAt(middle.center().x(), middle.center().y()), node->child(1000));
}

TEST(ListenerListAccessibility, AnOffScreenItemSaysWhatItsWidgetWouldAndPressingItBringsItIntoView) {
    LongListPanel p(2000);
    auto* list = p.list();
    auto* node = listNode(list);
    auto* far = node->child(1500);
    ASSERT_EQ(far->object(), nullptr);
    EXPECT_FALSE(showing(far));
    EXPECT_TRUE(far->state().selectable);
    EXPECT_FALSE(far->state().selected);
    // Below it, what its widget's labels, badges and button would say ("PID 2500", ...).
    std::vector<QString> parts;
    for (int i = 0; i < far->childCount(); ++i) {
        auto* part = far->child(i);
        EXPECT_EQ(part->parent(), far);
        EXPECT_EQ(far->indexOfChild(part), i);
        parts.push_back(part->text(QAccessible::Name));
    }
    EXPECT_TRUE(std::find(parts.begin(), parts.end(), QStringLiteral("PID 2500")) != parts.end());
    auto* press = far->actionInterface();
    ASSERT_NE(press, nullptr);
    ASSERT_TRUE(press->actionNames().contains(QAccessibleActionInterface::pressAction()));
    press->doAction(QAccessibleActionInterface::pressAction());
    QApplication::processEvents();

    const std::string id = list->rowOrder()[1500];
    EXPECT_TRUE(list->stateOf(id).isSelected);
    auto* row = list->row(id);
    ASSERT_NE(row, nullptr);
    const QRect area(row->mapTo(list->viewport(), QPoint(0, 0)), row->size());
    EXPECT_TRUE(list->viewport()->rect().contains(area));
    // Now in view, the row is its widget's node: selected, focused while the list has the keys.
    auto* now = node->child(1500);
    EXPECT_EQ(now->object(), row);
    EXPECT_TRUE(showing(now));
    EXPECT_TRUE(now->state().selected);
    EXPECT_TRUE(list->hasFocus());
    EXPECT_TRUE(now->state().focused);
    std::vector<QString> widgetParts;
    for (int i = 0; i < now->childCount(); ++i) widgetParts.push_back(now->child(i)->text(QAccessible::Name));
    EXPECT_EQ(widgetParts, parts);
    // The item the reader pressed stands for the same row still.
    EXPECT_TRUE(far->isValid());
    EXPECT_EQ(node->indexOfChild(far), 1500);
    EXPECT_TRUE(far->state().selected);
}

TEST(ListenerListAccessibility, ItemsFollowTheirRowsThroughReorderingAndGoWithThem) {
    LongListPanel p(300);
    auto* list = p.list();
    auto* node = listNode(list);
    // A light item for each row far down.
    std::map<std::string, QAccessible::Id> items;
    for (int i = 100; i < node->childCount(); ++i) {
        auto* child = node->child(i);
        ASSERT_EQ(child->object(), nullptr);
        items[list->rowOrder()[static_cast<std::size_t>(i)]] = QAccessible::uniqueId(child);
    }
    // The list sorted by memory, the other way round: every item still stands for its row, at its new place.
    p.h.update([](PopoverInputs& i) { i.sortMode = ListenerSortMode::memory; });
    QApplication::processEvents();
    const auto reordered = list->rowOrder();
    ASSERT_EQ(reordered.size(), 300u);
    expectChildrenAreTheRows(list);
    for (const auto& [id, uid] : items) {
        auto* item = QAccessible::accessibleInterface(uid);
        ASSERT_NE(item, nullptr) << id;
        const auto at = std::find(reordered.begin(), reordered.end(), id) - reordered.begin();
        EXPECT_EQ(node->indexOfChild(item), at) << id;
        EXPECT_EQ(item->text(QAccessible::Name), node->child(static_cast<int>(at))->text(QAccessible::Name));
    }
    // A search leaves a few rows: the items of the rows gone are gone too, none left dangling.
    p.h.update([](PopoverInputs& i) { i.searchText = "3299"; });
    QApplication::processEvents();
    ASSERT_EQ(list->rowOrder().size(), 1u);
    int left = 0;
    for (const auto& [id, uid] : items) {
        auto* item = QAccessible::accessibleInterface(uid);
        if (id == list->rowOrder()[0]) {
            ASSERT_NE(item, nullptr);
            EXPECT_EQ(node->indexOfChild(item), 0);
            ++left;
        } else {
            EXPECT_EQ(item, nullptr) << id;
        }
    }
    EXPECT_EQ(left, 1);
    expectChildrenAreTheRows(list);
}

}  // namespace
}  // namespace quaylight
