#include "Quaylight/design/controls/DesignAccessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QFontMetrics>
#include <algorithm>
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
        const auto& fields = static_cast<PremiumMenuButton*>(widget())->fields();
        // The chosen value carries the "selected" trait, with or without its check mark.
        if (fields.isCurrentChoice) {
            state.selectable = true;
            state.selected = true;
        }
        // The highlighted row is the one Return runs: focused while the keys reach its menu.
        state.focusable = true;
        state.focused = fields.isHighlighted && keyboardFocusAbove(widget());
        return state;
    }
    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Name) return static_cast<PremiumMenuButton*>(widget())->fields().title;
        return AccessibleDesignButton::text(kind);
    }
};

// A combo box's value reaches AT-SPI only as text (Qt's bridge exports no value string), so
// the trigger's current value is its read-only text; the name stays the setting's title.
class AccessibleChoiceTrigger final : public AccessibleDesignButton, public QAccessibleTextInterface {
public:
    explicit AccessibleChoiceTrigger(PremiumChoiceTrigger* trigger) : AccessibleDesignButton(trigger, QAccessible::ComboBox) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        return AccessibleDesignButton::interface_cast(type);
    }
    QString text(QAccessible::Text kind) const override {
        switch (kind) {
            case QAccessible::Name: return trigger()->title();
            case QAccessible::Value: return trigger()->accessibilityValue();
            case QAccessible::Description:
            case QAccessible::Help: return trigger()->accessibilityHint();
            default: return AccessibleDesignButton::text(kind);
        }
    }
    QAccessible::State state() const override {
        auto state = AccessibleDesignButton::state();
        state.expandable = true;
        state.expanded = trigger()->isExpanded();
        state.collapsed = !state.expanded;
        return state;
    }

    // The text: the value shown, nothing selectable, no caret.
    QString text(int startOffset, int endOffset) const override {
        const QString& value = trigger()->value();
        if (endOffset < 0 || endOffset > value.size()) endOffset = int(value.size());
        startOffset = std::clamp(startOffset, 0, endOffset);
        return value.mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(trigger()->value().size()); }
    void selection(int, int* startOffset, int* endOffset) const override { *startOffset = *endOffset = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QRect characterRect(int offset) const override {
        const QString& value = trigger()->value();
        if (offset < 0 || offset >= value.size()) return {};
        const QFontMetrics metrics(trigger()->font());
        const QRect box = trigger()->valueRect();
        const int x = box.left() + metrics.horizontalAdvance(value.left(offset));
        const QRect local(x, box.top(), metrics.horizontalAdvance(value.at(offset)), box.height());
        return QRect(trigger()->mapToGlobal(local.topLeft()), local.size());
    }
    int offsetAtPoint(const QPoint& point) const override {
        const QPoint local = trigger()->mapFromGlobal(point);
        const QString& value = trigger()->value();
        const QFontMetrics metrics(trigger()->font());
        const QRect box = trigger()->valueRect();
        if (!box.contains(local)) return -1;
        for (int i = 0; i < value.size(); ++i)
            if (box.left() + metrics.horizontalAdvance(value.left(i + 1)) > local.x()) return i;
        return -1;
    }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* startOffset, int* endOffset) const override {
        *startOffset = *endOffset = offset;
        return {};
    }

private:
    PremiumChoiceTrigger* trigger() const { return static_cast<PremiumChoiceTrigger*>(widget()); }
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

bool keyboardFocusAbove(const QWidget* widget) {
    const QWidget* focused = QApplication::focusWidget();
    return focused && focused->isAncestorOf(widget);
}

void announceKeyboardItem(QWidget* widget) {
    if (!keyboardFocusAbove(widget)) return;
    QAccessibleEvent event(widget, QAccessible::Focus);
    QAccessible::updateAccessibility(&event);
}

void announceHighlightedMenuRow(QWidget* menu) {
    for (auto* row : menu->findChildren<PremiumMenuButton*>())
        if (row->fields().isHighlighted) announceKeyboardItem(row);
}

}  // namespace quaylight
