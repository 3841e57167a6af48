#include "Quaylight/design/controls/AccessibilityHiddenColumn.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <mutex>

namespace quaylight {
namespace {

class AccessibleColumn final : public QAccessibleWidget {
public:
    explicit AccessibleColumn(AccessibilityHiddenColumn* column) : QAccessibleWidget(column, QAccessible::Grouping) {}

    int childCount() const override { return column()->isHiddenFromAccessibility() ? 0 : QAccessibleWidget::childCount(); }
    QAccessibleInterface* child(int index) const override {
        return column()->isHiddenFromAccessibility() ? nullptr : QAccessibleWidget::child(index);
    }
    // A reader that held one of the children does not find it here by its index either.
    int indexOfChild(const QAccessibleInterface* child) const override {
        return column()->isHiddenFromAccessibility() ? -1 : QAccessibleWidget::indexOfChild(child);
    }
    QAccessible::State state() const override {
        auto state = QAccessibleWidget::state();
        if (column()->isHiddenFromAccessibility()) state.invisible = true;
        return state;
    }

private:
    AccessibilityHiddenColumn* column() const { return static_cast<AccessibilityHiddenColumn*>(widget()); }
};

QAccessibleInterface* columnFactory(const QString&, QObject* object) {
    if (auto* column = qobject_cast<AccessibilityHiddenColumn*>(object)) return new AccessibleColumn(column);
    return nullptr;
}

}  // namespace

AccessibilityHiddenColumn::AccessibilityHiddenColumn(QWidget* parent) : QWidget(parent) {
    static std::once_flag installed;
    std::call_once(installed, [] { QAccessible::installFactory(columnFactory); });
}

void AccessibilityHiddenColumn::setHiddenFromAccessibility(bool hidden) {
    if (hidden == hidden_) return;
    hidden_ = hidden;
    // A reader that keeps the states it read hears that the column stopped (or started)
    // showing, and that its children changed.
    QAccessibleEvent shown(this, hidden ? QAccessible::ObjectHide : QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
    QAccessibleEvent reordered(this, QAccessible::ObjectReorder);
    QAccessible::updateAccessibility(&reordered);
}

}  // namespace quaylight
