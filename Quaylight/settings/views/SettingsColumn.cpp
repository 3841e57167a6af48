#include "Quaylight/settings/views/SettingsColumn.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <mutex>

namespace quaylight::settings {
namespace {

class AccessibleColumn final : public QAccessibleWidget {
public:
    explicit AccessibleColumn(SettingsColumn* column) : QAccessibleWidget(column, QAccessible::Grouping) {}

    int childCount() const override { return column()->isHiddenFromAccessibility() ? 0 : QAccessibleWidget::childCount(); }
    QAccessibleInterface* child(int index) const override {
        return column()->isHiddenFromAccessibility() ? nullptr : QAccessibleWidget::child(index);
    }
    QAccessible::State state() const override {
        auto state = QAccessibleWidget::state();
        if (column()->isHiddenFromAccessibility()) state.invisible = true;
        return state;
    }

private:
    SettingsColumn* column() const { return static_cast<SettingsColumn*>(widget()); }
};

QAccessibleInterface* columnFactory(const QString&, QObject* object) {
    if (auto* column = qobject_cast<SettingsColumn*>(object)) return new AccessibleColumn(column);
    return nullptr;
}

}  // namespace

SettingsColumn::SettingsColumn(QWidget* parent) : QWidget(parent) {
    static std::once_flag installed;
    std::call_once(installed, [] { QAccessible::installFactory(columnFactory); });
}

void SettingsColumn::setHiddenFromAccessibility(bool hidden) {
    if (hidden == hidden_) return;
    hidden_ = hidden;
    QAccessibleEvent reordered(this, QAccessible::ObjectReorder);
    QAccessible::updateAccessibility(&reordered);
}

}  // namespace quaylight::settings
