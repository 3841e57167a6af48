#include "Quaylight/popover/list/ListenerListAccessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLayout>
#include <QPointer>
#include <QScrollBar>
#include <QWindow>
#include <mutex>
#include <vector>

#include "Quaylight/popover/list/ListenerListView.h"
#include "Quaylight/popover/list/ListenerRowView.h"

namespace quaylight {

namespace {

ListenerListView* listHolding(const QWidget* row) {
    for (QWidget* above = row->parentWidget(); above; above = above->parentWidget())
        if (auto* list = qobject_cast<ListenerListView*>(above)) return list;
    return nullptr;
}

// A row is a list item; the keyboard selection is its selected state and, while the keys
// reach the list, its focused state, so a screen reader names the row o, t and k act on. Its
// parent is the list itself (not the widgets the list scrolls it on), as the list names it.
class AccessibleListenerRow final : public QAccessibleWidget {
public:
    explicit AccessibleListenerRow(ListenerRowView* row) : QAccessibleWidget(row, QAccessible::ListItem) {}

    QAccessible::State state() const override {
        auto state = QAccessibleWidget::state();
        const auto* row = static_cast<const ListenerRowView*>(widget());
        state.selectable = true;
        state.selected = row->rowState().isSelected;
        state.focusable = true;
        state.focused = row->rowState().isSelected && row->keysReachList();
        // A row kept built beyond the view (near it, selected or with its menu open) is not on
        // screen.
        if (const auto* list = listHolding(row)) {
            const QRect area(row->mapTo(list->viewport(), QPoint(0, 0)), row->size());
            if (!area.intersects(list->viewport()->rect())) state.offscreen = true;
        }
        return state;
    }

    QAccessibleInterface* parent() const override {
        if (auto* list = listHolding(widget())) return QAccessible::queryAccessibleInterface(list);
        return QAccessibleWidget::parent();
    }
};

// What one of a row widget's parts says: its label, badge or button, read from a row widget
// built for the purpose. `area` is its place in the row.
struct PartLook {
    QAccessible::Role role = QAccessible::StaticText;
    QString name;
    QString description;
    QAccessible::State state;
    QRect area;
};

std::vector<PartLook> readRowParts(ListenerListView* list, const ListenerRowTexts& texts, QSize size) {
    ListenerRowView row(nullptr, list);
    row.hide();
    row.setRow(texts, list->stateOf(texts.id));
    row.resize(size);
    if (row.layout()) row.layout()->activate();
    std::vector<PartLook> looks;
    auto* node = QAccessible::queryAccessibleInterface(&row);
    for (int i = 0; node && i < node->childCount(); ++i) {
        auto* part = node->child(i);
        auto* widget = qobject_cast<QWidget*>(part->object());
        if (!widget) continue;
        PartLook look{part->role(), part->text(QAccessible::Name), part->text(QAccessible::Description), part->state(),
                      widget->geometry()};
        // This row is never shown: its parts say what they would in a shown list, where only
        // the ones hidden for this row's texts are invisible.
        look.state.invisible = widget->isHidden();
        looks.push_back(look);
    }
    return looks;
}

// One part of a light item: a node of its own that says what the widget's part would.
class AccessibleListenerPart final : public QAccessibleInterface {
public:
    explicit AccessibleListenerPart(QAccessibleInterface* item) : item_(item) {}

    PartLook look;

    bool isValid() const override { return item_->isValid(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return item_->window(); }
    QAccessibleInterface* parent() const override { return item_; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Name) return look.name;
        if (kind == QAccessible::Description) return look.description;
        return {};
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override { return look.area.translated(item_->rect().topLeft()); }
    QAccessible::Role role() const override { return look.role; }
    QAccessible::State state() const override { return look.state; }

private:
    QAccessibleInterface* item_;
};

// A row without a widget: what its widget would say, read from the list's texts.
class AccessibleListenerItem final : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    AccessibleListenerItem(ListenerListView* list, std::string id) : list_(list), id_(std::move(id)) {}

    const ListenerListView* owner() const { return list_.data(); }
    const std::string& id() const { return id_; }

    bool isValid() const override { return index().has_value(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override {
        return list_ ? list_->window()->windowHandle() : nullptr;
    }
    QAccessibleInterface* parent() const override {
        return list_ ? QAccessible::queryAccessibleInterface(list_.data()) : nullptr;
    }
    QAccessibleInterface* child(int index) const override {
        readParts();
        return index >= 0 && static_cast<std::size_t>(index) < parts_.size() ? parts_[static_cast<std::size_t>(index)]
                                                                              : nullptr;
    }
    int childCount() const override {
        readParts();
        return static_cast<int>(parts_.size());
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        for (std::size_t i = 0; i < parts_.size(); ++i)
            if (parts_[i] == child) return static_cast<int>(i);
        return -1;
    }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    void deleteParts() {
        for (auto* part : parts_) QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(part));
        parts_.clear();
    }

    QString text(QAccessible::Text kind) const override {
        const auto at = index();
        if (!at) return {};
        const ListenerRowTexts& texts = list_->rowTexts()[*at];
        if (kind == QAccessible::Name) return listenerRowAccessibleName(texts);
        if (kind == QAccessible::Description) return listenerRowAccessibleDescription(texts);
        return {};
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        const auto at = index();
        if (!at) return {};
        const QRect area = list_->rowRectInViewport(*at);
        return {list_->viewport()->mapToGlobal(area.topLeft()), area.size()};
    }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override {
        QAccessible::State state;
        const auto at = index();
        if (!at) {
            state.invisible = true;
            return state;
        }
        const ListenerRowState row = list_->stateOf(id_);
        state.selectable = true;
        state.selected = row.isSelected;
        state.focusable = true;
        state.focused = row.isSelected && list_->hasFocus();
        state.offscreen = !list_->isVisible() || !list_->rowRectInViewport(*at).intersects(list_->viewport()->rect());
        return state;
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override {
        if (name == pressAction() && isValid()) list_->pressRow(id_);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    std::optional<std::size_t> index() const { return list_ ? list_->indexOf(id_) : std::nullopt; }

    // The parts are read when a reader first asks for them, and again once the row's texts or
    // state changed; the nodes stay the same.
    void readParts() const {
        const auto at = index();
        if (!at) return;
        const ListenerRowTexts& texts = list_->rowTexts()[*at];
        const ListenerRowState state = list_->stateOf(id_);
        const QSize size = list_->rowRectInViewport(*at).size();
        if (partsRead_ && texts == partsTexts_ && state == partsState_ && size == partsSize_) return;
        const auto looks = readRowParts(list_.data(), texts, size);
        auto* self = const_cast<AccessibleListenerItem*>(this);
        while (parts_.size() < looks.size()) {
            auto* part = new AccessibleListenerPart(self);
            QAccessible::registerAccessibleInterface(part);
            parts_.push_back(part);
        }
        for (std::size_t i = 0; i < parts_.size() && i < looks.size(); ++i) parts_[i]->look = looks[i];
        partsTexts_ = texts;
        partsState_ = state;
        partsSize_ = size;
        partsRead_ = true;
    }

    QPointer<ListenerListView> list_;
    std::string id_;
    mutable std::vector<AccessibleListenerPart*> parts_;
    mutable ListenerRowTexts partsTexts_;
    mutable ListenerRowState partsState_;
    mutable QSize partsSize_;
    mutable bool partsRead_ = false;
};

// The list: one child a row, in order, however few of them have a widget now.
class AccessibleListenerList final : public QAccessibleWidget {
public:
    explicit AccessibleListenerList(ListenerListView* list) : QAccessibleWidget(list, QAccessible::List) {}

    int childCount() const override { return list()->accessibleRowCount(); }
    QAccessibleInterface* child(int index) const override { return list()->accessibleRow(index); }
    int indexOfChild(const QAccessibleInterface* child) const override { return list()->accessibleIndexOf(child); }
    QAccessibleInterface* childAt(int x, int y) const override {
        auto* list = this->list();
        const QPoint at = list->viewport()->mapFromGlobal(QPoint(x, y));
        if (!list->viewport()->rect().contains(at)) return nullptr;
        const int contentY = at.y() + list->verticalScrollBar()->value();
        const auto [first, last] = list->rowLayout().within(contentY, contentY + 1);
        return first == last ? nullptr : list->accessibleRow(static_cast<int>(first));
    }

private:
    ListenerListView* list() const { return static_cast<ListenerListView*>(widget()); }
};

QAccessibleInterface* listAccessibleFactory(const QString&, QObject* object) {
    if (auto* row = qobject_cast<ListenerRowView*>(object)) return new AccessibleListenerRow(row);
    if (auto* list = qobject_cast<ListenerListView*>(object)) return new AccessibleListenerList(list);
    return nullptr;
}

}  // namespace

void installListenerListAccessibility() {
    static std::once_flag installed;
    std::call_once(installed, [] { QAccessible::installFactory(listAccessibleFactory); });
}

QAccessibleInterface* newAccessibleListenerItem(ListenerListView* list, const std::string& id) {
    return new AccessibleListenerItem(list, id);
}

void deleteAccessibleListenerItem(QAccessibleInterface* item) {
    if (auto* light = dynamic_cast<AccessibleListenerItem*>(item)) light->deleteParts();
    QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(item));
}

std::optional<std::string> accessibleListenerItemID(const QAccessibleInterface* item, const ListenerListView* list) {
    const auto* light = dynamic_cast<const AccessibleListenerItem*>(item);
    if (!light || light->owner() != list) return std::nullopt;
    return light->id();
}

}  // namespace quaylight
