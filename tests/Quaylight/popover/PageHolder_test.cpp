// A page of the main area, or the list's state slot, on real widgets: a state view stays
// while its key does and is retired when another comes, a brought page is made once until
// it is dropped, and a view that leaves is out of the holder at once and gone a turn later.

#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <QWidget>

#include "Quaylight/popover/pages/PageHolder.h"

namespace quaylight {
namespace {

void nextTurn() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

TEST(PageHolder, AStateViewStaysWhileItsKeyDoesAndLeavesWhenAnotherComes) {
    QWidget parent;
    PageHolder holder(&parent);
    int made = 0;
    const auto make = [&] {
        ++made;
        return new QWidget();
    };
    QPointer<QWidget> first = holder.showState(QStringLiteral("empty|a"), make);
    EXPECT_EQ(holder.showState(QStringLiteral("empty|a"), make), first.data());
    EXPECT_EQ(made, 1);
    EXPECT_EQ(first->parentWidget(), holder.widget());

    QWidget* second = holder.showState(QStringLiteral("empty|b"), make);
    EXPECT_EQ(made, 2);
    EXPECT_EQ(holder.view(), second);
    // Out of the holder at once, deleted on the next turn (its button may be running now).
    ASSERT_TRUE(first);
    EXPECT_EQ(first->parentWidget(), nullptr);
    EXPECT_EQ(holder.widget()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly),
              QList<QWidget*>{second});
    nextTurn();
    EXPECT_FALSE(first);
}

TEST(PageHolder, ABroughtPageIsMadeOnceUntilDropped) {
    QWidget parent;
    PageHolder holder(&parent);
    int made = 0;
    const auto make = [&] {
        ++made;
        return new QWidget();
    };
    holder.fill(make);
    holder.fill(make);
    EXPECT_EQ(made, 1);
    EXPECT_TRUE(holder.filled());
    QPointer<QWidget> page = holder.view();

    holder.clear();
    EXPECT_FALSE(holder.filled());
    EXPECT_EQ(holder.view(), nullptr);
    nextTurn();
    EXPECT_FALSE(page);
    holder.fill(make);
    EXPECT_EQ(made, 2);

    // A page nobody brought leaves the holder empty.
    PageHolder unset(&parent);
    unset.fill([]() -> QWidget* { return nullptr; });
    EXPECT_FALSE(unset.filled());
    EXPECT_EQ(unset.view(), nullptr);
}

}  // namespace
}  // namespace quaylight
