#include "Quaylight/design/controls/DesignAccessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <mutex>

#include "Quaylight/design/controls/PremiumCard.h"
#include "Quaylight/design/controls/PremiumChoiceTrigger.h"
#include "Quaylight/design/controls/PremiumMenu.h"
#include "Quaylight/design/controls/PremiumSwitch.h"

namespace quaylight {

namespace {

// Buttons keep the press action; the subclasses add what the design asks for.
class AccessibleDesignButton : public QAccessibleWidget {
public:
    AccessibleDesignButton(QAbstractButton* button, QAccessible::Role role) : QAccessibleWidget(button, role) {}

    QStringList actionNames() const override { return QStringList{pressAction()} + QAccessibleWidget::actionNames(); }
    void doAction(const QString& action) override {
        if (action == pressAction()) {
            static_cast<QAbstractButton*>(widget())->click();
        } else {
            QAccessibleWidget::doAction(action);
        }
    }
};

class AccessibleMenuButton final : public AccessibleDesignButton {
public:
    explicit AccessibleMenuButton(PremiumMenuButton* row) : AccessibleDesignButton(row, QAccessible::MenuItem) {}

    QAccessible::State state() const override {
        auto state = AccessibleDesignButton::state();
        // The chosen value carries the "selected" trait, with or without its check mark.
        if (static_cast<PremiumMenuButton*>(widget())->fields().isCurrentChoice) {
            state.selectable = true;
            state.selected = true;
        }
        return state;
    }
    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Name) return static_cast<PremiumMenuButton*>(widget())->fields().title;
        return AccessibleDesignButton::text(kind);
    }
};

class AccessibleChoiceTrigger final : public AccessibleDesignButton {
public:
    explicit AccessibleChoiceTrigger(PremiumChoiceTrigger* trigger) : AccessibleDesignButton(trigger, QAccessible::ComboBox) {}

    QString text(QAccessible::Text kind) const override {
        const auto* trigger = static_cast<PremiumChoiceTrigger*>(widget());
        switch (kind) {
            case QAccessible::Name: return trigger->title();
            case QAccessible::Value: return trigger->accessibilityValue();
            case QAccessible::Description:
            case QAccessible::Help: return trigger->accessibilityHint();
            default: return AccessibleDesignButton::text(kind);
        }
    }
    QAccessible::State state() const override {
        auto state = AccessibleDesignButton::state();
        state.expandable = true;
        state.expanded = static_cast<PremiumChoiceTrigger*>(widget())->isExpanded();
        state.collapsed = !state.expanded;
        return state;
    }
};

// A switch is a check box whose every action is a click: a screen reader's "toggle" must
// reach the same clicked() a pointer or Space does, since that alone asks for a change.
class AccessibleSwitch final : public AccessibleDesignButton {
public:
    explicit AccessibleSwitch(PremiumSwitch* toggle) : AccessibleDesignButton(toggle, QAccessible::CheckBox) {}

    QStringList actionNames() const override { return QStringList{toggleAction()} + AccessibleDesignButton::actionNames(); }
    void doAction(const QString& action) override {
        if (action == toggleAction()) {
            static_cast<QAbstractButton*>(widget())->click();
        } else {
            AccessibleDesignButton::doAction(action);
        }
    }
    QAccessible::State state() const override {
        auto state = AccessibleDesignButton::state();
        state.checkable = true;
        state.checked = static_cast<QAbstractButton*>(widget())->isChecked();
        return state;
    }
};

class AccessibleDialogSurface final : public QAccessibleWidget {
public:
    explicit AccessibleDialogSurface(PremiumDialogSurface* surface) : QAccessibleWidget(surface, QAccessible::Dialog) {}

    QAccessible::State state() const override {
        auto state = QAccessibleWidget::state();
        state.modal = true;
        return state;
    }
};

QAccessibleInterface* designAccessibleFactory(const QString&, QObject* object) {
    if (auto* row = qobject_cast<PremiumMenuButton*>(object)) return new AccessibleMenuButton(row);
    if (auto* trigger = qobject_cast<PremiumChoiceTrigger*>(object)) return new AccessibleChoiceTrigger(trigger);
    if (auto* dialog = qobject_cast<PremiumDialogSurface*>(object)) return new AccessibleDialogSurface(dialog);
    if (auto* toggle = qobject_cast<PremiumSwitch*>(object)) return new AccessibleSwitch(toggle);
    return nullptr;
}

}  // namespace

void ensureDesignAccessibility() {
    static std::once_flag installed;
    std::call_once(installed, [] { QAccessible::installFactory(designAccessibleFactory); });
}

}  // namespace quaylight
