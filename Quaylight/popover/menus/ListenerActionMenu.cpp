#include "Quaylight/popover/menus/ListenerActionMenu.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QTimer>
#include <QVBoxLayout>

#include "Quaylight/design/controls/DesignAccessibility.h"
#include "Quaylight/design/controls/PremiumCard.h"
#include "Quaylight/design/controls/PremiumMenu.h"
#include "Quaylight/design/controls/Shadow.h"

namespace quaylight {

namespace {

void copyToClipboard(const std::string& text) {
    auto* clipboard = QGuiApplication::clipboard();
    clipboard->clear(QClipboard::Clipboard);
    clipboard->setText(QString::fromStdString(text), QClipboard::Clipboard);
}

}  // namespace

ListenerActionMenu::ListenerActionMenu(PortListener listener, ListenerActionMenuModel::Capabilities capabilities,
                                       Callbacks callbacks, QWidget* parent)
    : QWidget(parent),
      listener_(std::move(listener)),
      callbacks_(std::move(callbacks)),
      items_(ListenerActionMenuModel::items(listener_, capabilities)),
      surface_(new PremiumMenuSurface(ListenerActionMenuModel::width, this)) {
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(QString::fromStdString(ListenerActionMenuModel::accessibleName(listener_)));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(surface_);
    moveShadow(surface_, this);
    for (int index = 0; index < static_cast<int>(items_.size()); ++index) {
        const auto& item = items_[static_cast<std::size_t>(index)];
        if (item.beginsDestructiveSection) surface_->addRow(new PremiumMenuDivider(surface_));
        PremiumMenuButtonFields fields;
        fields.title = QString::fromStdString(item.title);
        fields.icon = item.icon;
        if (item.shortcut) fields.trailing = QString::fromStdString(*item.shortcut);
        fields.isHighlighted = index == highlighted_;
        fields.isDestructive = item.isDestructive;
        auto* button = new PremiumMenuButton(fields, surface_);
        // Clicking a row must not pull focus away from the menu's keys.
        button->setFocusPolicy(Qt::NoFocus);
        button->setAccessibleName(fields.title);
        button->setAccessibleDescription(item.isDestructive ? QStringLiteral("Requires confirmation") : QString());
        connect(button, &PremiumMenuButton::hoverChanged, this, [this, index](bool hovering) {
            if (hovering) setHighlighted(index);
        });
        connect(button, &QAbstractButton::clicked, this, [this, index] { run(index); });
        surface_->addRow(button);
        buttons_.push_back(button);
    }
    setFixedWidth(static_cast<int>(ListenerActionMenuModel::width));
    adjustSize();
}

void ListenerActionMenu::setHighlighted(int index) {
    if (index == highlighted_) return;
    highlighted_ = index;
    for (int i = 0; i < static_cast<int>(buttons_.size()); ++i) buttons_[static_cast<std::size_t>(i)]->setHighlighted(i == index);
}

void ListenerActionMenu::run(int index) {
    if (index < 0 || index >= static_cast<int>(items_.size())) return;
    // Dismissing may delete this menu: take out everything the action needs first.
    const auto action = items_[static_cast<std::size_t>(index)].action;
    const PortListener listener = listener_;
    const Callbacks callbacks = callbacks_;
    if (callbacks.onDismiss) callbacks.onDismiss();
    const auto call = [](const std::function<void()>& f) {
        if (f) f();
    };
    using Action = ListenerActionMenuModel::Action;
    switch (action) {
        case Action::open: call(callbacks.onOpen); break;
        case Action::focus: call(callbacks.onFocus); break;
        case Action::stopPool: call(callbacks.onStopPool); break;
        case Action::kill: call(callbacks.onKill); break;
        case Action::forceKill: call(callbacks.onForceKill); break;
        case Action::copyURL:
        case Action::copyPort:
        case Action::copyDetails: {
            const WallTime now = callbacks.now ? callbacks.now()
                                                   : std::chrono::time_point_cast<Microseconds>(std::chrono::system_clock::now());
            copyToClipboard(ListenerActionMenuModel::copiedText(action, listener, now));
            break;
        }
    }
}

void ListenerActionMenu::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The newly shown menu takes the keys on the next turn, once the click that opened it
    // has finished with the focus.
    QTimer::singleShot(0, this, [self = QPointer<ListenerActionMenu>(this)] {
        if (!self || !self->isVisible()) return;
        self->setFocus(Qt::PopupFocusReason);
        announceHighlightedMenuRow(self);
    });
}

void ListenerActionMenu::keyPressEvent(QKeyEvent* event) {
    const int count = static_cast<int>(items_.size());
    if (event->matches(QKeySequence::Copy)) {
        // The "Ctrl+C" hint means what it says: copy the URL and close.
        for (int i = 0; i < count; ++i) {
            if (items_[static_cast<std::size_t>(i)].action == ListenerActionMenuModel::Action::copyURL) {
                run(i);
                return;
            }
        }
        event->accept();
        return;
    }
    switch (event->key()) {
        case Qt::Key_Down:
            if (count > 0) setHighlighted((highlighted_ + 1 + count) % count);
            event->accept();
            return;
        case Qt::Key_Up:
            if (count > 0) setHighlighted((highlighted_ - 1 + count) % count);
            event->accept();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (highlighted_ >= 0 && highlighted_ < count) {
                run(highlighted_);
                return;
            }
            event->ignore();
            return;
        case Qt::Key_Escape:
            if (callbacks_.onDismiss) {
                const auto dismiss = callbacks_.onDismiss;
                dismiss();
            }
            event->accept();
            return;
        default: QWidget::keyPressEvent(event);
    }
}

}  // namespace quaylight
