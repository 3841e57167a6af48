// A column hidden from assistive technologies on the offscreen platform: no children, no
// index for a child a reader still holds, no presence; and all of it back when shown.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "Quaylight/design/controls/AccessibilityHiddenColumn.h"

namespace quaylight {
namespace {

TEST(AccessibilityHiddenColumn, HiddenItHasNoChildrenAndNoPresence) {
    AccessibilityHiddenColumn column;
    auto* layout = new QVBoxLayout(&column);
    auto* label = new QLabel(QStringLiteral("Ports"), &column);
    auto* button = new QPushButton(QStringLiteral("Settings"), &column);
    layout->addWidget(label);
    layout->addWidget(button);
    column.show();
    QAccessibleInterface* node = QAccessible::queryAccessibleInterface(&column);
    QAccessibleInterface* held = QAccessible::queryAccessibleInterface(button);
    ASSERT_EQ(node->childCount(), 2);
    ASSERT_EQ(node->indexOfChild(held), 1);
    EXPECT_FALSE(node->state().invisible);

    column.setHiddenFromAccessibility(true);
    EXPECT_EQ(node->childCount(), 0);
    EXPECT_EQ(node->child(0), nullptr);
    EXPECT_EQ(node->indexOfChild(held), -1);
    EXPECT_TRUE(node->state().invisible);
    column.setHiddenFromAccessibility(false);
    EXPECT_EQ(node->childCount(), 2);
    EXPECT_EQ(node->indexOfChild(held), 1);
    EXPECT_FALSE(node->state().invisible);
}

}  // namespace
}  // namespace quaylight
