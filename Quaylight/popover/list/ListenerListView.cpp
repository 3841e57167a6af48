#include "Quaylight/popover/list/ListenerListView.h"

#include <QKeyEvent>
#include <QPropertyAnimation>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "Quaylight/design/controls/RetireWidget.h"
#include "Quaylight/design/platform/ReduceMotion.h"
#include "Quaylight/design/theme/PremiumTheme.h"
#include "Quaylight/popover/frame/PopoverWidgets.h"
#include "Quaylight/popover/list/ActivityPulseClock.h"

namespace quaylight {

ListenerListView::ListenerListView(QWidget* parent) : QScrollArea(parent) {
    setObjectName(QStringLiteral("listenerList"));
    setAccessibleName(QStringLiteral("Listeners"));
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setAutoFillBackground(false);
    styleThinScrollBar(this);
    clock_ = new ActivityPulseClock(this);
    content_ = new QWidget;
    content_->installEventFilter(this);
    layout_ = new QVBoxLayout(content_);
    layout_->setSpacing(2);
    layout_->setContentsMargins(0, 1, 0, 8);
    layout_->addStretch(1);
    setWidget(content_);
    // setWidget turns the content's background on: off again, so the panel's gradient shows.
    content_->setAutoFillBackground(false);
    scroll_ = new QPropertyAnimation(verticalScrollBar(), "value", this);
    scroll_->setDuration(120);
    scroll_->setEasingCurve(QEasingCurve::OutCubic);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { syncPulses(); });
}

ListenerRowView* ListenerListView::row(const std::string& id) const {
    auto found = rows_.find(id);
    return found == rows_.end() ? nullptr : found->second;
}

void ListenerListView::setRows(const std::vector<ListenerRowTexts>& rows, const std::optional<std::string>& selectedID,
                               const std::optional<std::string>& expandedID) {
    std::vector<std::string> order;
    order.reserve(rows.size());
    std::map<std::string, ListenerRowView*> kept;
    for (const auto& texts : rows) {
        ListenerRowView* view = nullptr;
        if (auto found = rows_.find(texts.id); found != rows_.end()) {
            view = found->second;
            rows_.erase(found);
        } else {
            view = new ListenerRowView(clock_, content_);
            const std::string id = texts.id;
            view->onSelect = [this, id] {
                if (onRowSelect) onRowSelect(id);
            };
            view->onToggleActions = [this, id] {
                if (onRowToggle) onRowToggle(id);
            };
            view->onActionsButton = [this, id] {
                if (onRowActions) onRowActions(id);
            };
        }
        view->setRow(texts, {selectedID == texts.id, expandedID == texts.id});
        kept.emplace(texts.id, view);
        order.push_back(texts.id);
    }
    for (auto& [id, view] : rows_) {
        view->setPulsing(false);
        retireWidget(view);
    }
    rows_ = std::move(kept);
    if (order != order_) {
        std::vector<QWidget*> widgets;
        for (const auto& id : order) widgets.push_back(rows_.at(id));
        relayInOrder(layout_, widgets);
        order_ = std::move(order);
    }
    syncPulses();
}

void ListenerListView::setPulseAllowed(bool allowed) {
    if (allowed == pulseAllowed_) return;
    pulseAllowed_ = allowed;
    syncPulses();
}

void ListenerListView::syncPulses() {
    const QRect visible = viewport()->rect();
    for (auto& [id, view] : rows_) {
        const QRect area(view->mapTo(viewport(), QPoint(0, 0)), view->size());
        view->setPulsing(pulseAllowed_ && isVisible() && view->isVisible() && area.intersects(visible));
    }
}

void ListenerListView::scrollToRow(const std::string& id, bool animated) {
    auto* view = row(id);
    if (!view) return;
    QScrollBar* bar = verticalScrollBar();
    const int target =
        std::clamp(view->y() + view->height() / 2 - viewport()->height() / 2, bar->minimum(), bar->maximum());
    scroll_->stop();
    if (!animated || reduceMotionFor(this)) {
        bar->setValue(target);
        return;
    }
    scroll_->setStartValue(bar->value());
    scroll_->setEndValue(target);
    scroll_->start();
}

void ListenerListView::keepRowInView(const std::string& id) {
    QTimer::singleShot(0, this, [this, id] {
        auto* view = row(id);
        if (!view || !isVisible()) return;
        content_->layout()->activate();
        const QRect area(view->mapTo(viewport(), QPoint(0, 0)), view->size());
        if (!viewport()->rect().contains(area)) scrollToRow(id, false);
    });
}

void ListenerListView::focusInEvent(QFocusEvent* event) {
    QScrollArea::focusInEvent(event);
    // Qt announces the list itself once this returns; the selected row follows it.
    QTimer::singleShot(0, this, [this] {
        if (!hasFocus()) return;
        for (const auto& [id, view] : rows_)
            if (view->rowState().isSelected) view->announceSelection();
    });
}

void ListenerListView::keyPressEvent(QKeyEvent* event) {
    if (onKey && onKey(event)) event->accept();
    else event->ignore();
}

void ListenerListView::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    if (onBackgroundClick) onBackgroundClick();
    event->accept();
}

bool ListenerListView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == content_ && event->type() == QEvent::MouseButtonPress) {
        setFocus(Qt::MouseFocusReason);
        if (onBackgroundClick) onBackgroundClick();
        return true;
    }
    if (watched == content_ && (event->type() == QEvent::Resize || event->type() == QEvent::LayoutRequest))
        syncPulses();
    return QScrollArea::eventFilter(watched, event);
}

}  // namespace quaylight
