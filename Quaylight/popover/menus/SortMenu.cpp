#include "Quaylight/popover/menus/SortMenu.h"

#include <QKeyEvent>
#include <QPointer>
#include <QTimer>
#include <QVBoxLayout>

#include "Quaylight/design/controls/DesignAccessibility.h"
#include "Quaylight/design/controls/PremiumCard.h"
#include "Quaylight/design/controls/PremiumMenu.h"
#include "Quaylight/design/controls/Shadow.h"

namespace quaylight {

SortMenu::SortMenu(ListenerSortMode current, Callbacks callbacks, QWidget* parent)
    : QWidget(parent), callbacks_(std::move(callbacks)), highlighted_(SortMenuModel::indexOf(current)) {
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(QStringLiteral("Sort listeners or refresh"));
    auto* surface = new PremiumMenuSurface(menuWidth, this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(surface);
    moveShadow(surface, this);
    const auto add = [&](PremiumMenuButtonFields fields, int index) {
        auto* button = new PremiumMenuButton(std::move(fields), surface);
        button->setFocusPolicy(Qt::NoFocus);
        button->setAccessibleName(button->fields().title);
        connect(button, &PremiumMenuButton::hoverChanged, this, [this, index](bool hovering) {
            if (hovering) setHighlighted(index);
        });
        connect(button, &QAbstractButton::clicked, this, [this, index] { run(index); });
        surface->addRow(button);
        buttons_.push_back(button);
    };
    const auto& modes = SortMenuModel::modes();
    for (int i = 0; i < static_cast<int>(modes.size()); ++i) {
        PremiumMenuButtonFields fields;
        fields.title = QString::fromStdString(SortMenuModel::title(modes[static_cast<std::size_t>(i)]));
        fields.isHighlighted = i == highlighted_;
        fields.isCurrentChoice = modes[static_cast<std::size_t>(i)] == current;
        add(fields, i);
    }
    surface->addRow(new PremiumMenuDivider(surface));
    PremiumMenuButtonFields refresh;
    refresh.title = QStringLiteral("Refresh now");
    refresh.icon = LucideIconName::refreshCw;
    refresh.isHighlighted = highlighted_ == static_cast<int>(modes.size());
    add(refresh, static_cast<int>(modes.size()));
    setFixedWidth(menuWidth);
    adjustSize();
}

void SortMenu::setHighlighted(int index) {
    if (index == highlighted_) return;
    highlighted_ = index;
    for (int i = 0; i < static_cast<int>(buttons_.size()); ++i)
        buttons_[static_cast<std::size_t>(i)]->setHighlighted(i == index);
}

void SortMenu::run(int index) {
    const auto& modes = SortMenuModel::modes();
    if (index < 0 || index >= SortMenuModel::itemCount()) return;
    // Dismissing may delete this menu: keep what the choice needs.
    const Callbacks callbacks = callbacks_;
    if (index < static_cast<int>(modes.size())) {
        if (callbacks.onChoose) callbacks.onChoose(modes[static_cast<std::size_t>(index)]);
        if (callbacks.onDismiss) callbacks.onDismiss();
    } else {
        if (callbacks.onDismiss) callbacks.onDismiss();
        if (callbacks.requestScan) callbacks.requestScan();
    }
}

void SortMenu::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    QTimer::singleShot(0, this, [self = QPointer<SortMenu>(this)] {
        if (!self || !self->isVisible()) return;
        self->setFocus(Qt::PopupFocusReason);
        announceHighlightedMenuRow(self);
    });
}

void SortMenu::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Down: setHighlighted(SortMenuModel::moved(highlighted_, +1)); break;
        case Qt::Key_Up: setHighlighted(SortMenuModel::moved(highlighted_, -1)); break;
        case Qt::Key_Return:
        case Qt::Key_Enter: run(highlighted_); return;
        case Qt::Key_Escape: {
            const auto dismiss = callbacks_.onDismiss;
            if (dismiss) dismiss();
            return;
        }
        default: QWidget::keyPressEvent(event); return;
    }
    event->accept();
}

}  // namespace quaylight
