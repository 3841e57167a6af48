// Retiring a widget on the offscreen platform: out of its parent's accessible children and
// its layout at once, still alive for the handler that may be running, deleted next turn.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "Quaylight/design/controls/RetireWidget.h"

namespace quaylight {
namespace {

TEST(RetireWidget, LeavesTheAccessibleTreeAtOnceAndIsDeletedOnTheNextTurn) {
    QWidget parent;
    auto* layout = new QVBoxLayout(&parent);
    auto* kept = new QLabel(QStringLiteral("kept"), &parent);
    auto* gone = new QPushButton(QStringLiteral("gone"), &parent);
    auto* inside = new QLabel(QStringLiteral("inside"), gone);
    layout->addWidget(kept);
    layout->addWidget(gone);
    parent.show();
    QAccessibleInterface* node = QAccessible::queryAccessibleInterface(&parent);
    ASSERT_EQ(node->childCount(), 2);
    // A screen reader holds the button and what lies in it.
    QAccessibleInterface* held = QAccessible::queryAccessibleInterface(gone);
    QAccessibleInterface* heldInside = QAccessible::queryAccessibleInterface(inside);
    QPointer<QWidget> watch(gone);

    retireWidget(gone);
    ASSERT_TRUE(watch);
    EXPECT_EQ(node->childCount(), 1);
    EXPECT_EQ(node->child(0)->object(), kept);
    EXPECT_EQ(layout->indexOf(gone), -1);
    EXPECT_TRUE(held->state().invisible);
    // Asked for its place, it no longer names the parent it left.
    EXPECT_NE(held->parent(), node);
    EXPECT_EQ(heldInside->parent(), held);

    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(watch);
    EXPECT_EQ(node->childCount(), 1);
}

TEST(RetireWidget, NullIsNothingToRetire) { retireWidget(nullptr); }

}  // namespace
}  // namespace quaylight
