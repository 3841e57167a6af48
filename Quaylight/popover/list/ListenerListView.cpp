#include "Quaylight/popover/list/ListenerListView.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QPropertyAnimation>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>

#include "Quaylight/design/controls/RetireWidget.h"
#include "Quaylight/design/platform/ReduceMotion.h"
#include "Quaylight/popover/frame/PopoverWidgets.h"
#include "Quaylight/popover/list/ActivityPulseClock.h"
#include "Quaylight/popover/list/ListenerListAccessibility.h"

namespace quaylight {

namespace {

// Rows this far above and below the view get their widgets ahead of time, so a short scroll
// shows rows already built.
constexpr int nearViewMargin = 120;
// Widgets put by beyond this many are let go: the pool stays about a screenful.
constexpr std::size_t maxSpareRows = 6;

}  // namespace

ListenerListView::ListenerListView(QWidget* parent) : QScrollArea(parent) {
    installListenerListAccessibility();
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
    content_->setObjectName(QStringLiteral("listenerRows"));
    content_->installEventFilter(this);
    content_->setFixedHeight(layout_.height);
    setWidget(content_);
    // setWidget turns the content's background on: off again, so the panel's gradient shows.
    content_->setAutoFillBackground(false);
    scroll_ = new QPropertyAnimation(verticalScrollBar(), "value", this);
    scroll_->setDuration(120);
    scroll_->setEasingCurve(QEasingCurve::OutCubic);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { placeRows(); });
}

ListenerListView::~ListenerListView() {
    for (auto& [id, item] : accessibleItems_) deleteAccessibleListenerItem(item);
}

ListenerRowView* ListenerListView::row(const std::string& id) const {
    auto found = bound_.find(id);
    return found == bound_.end() ? nullptr : found->second;
}

std::vector<std::string> ListenerListView::rowOrder() const {
    std::vector<std::string> order;
    order.reserve(rows_.size());
    for (const auto& texts : rows_) order.push_back(texts.id);
    return order;
}

std::optional<std::size_t> ListenerListView::indexOf(const std::string& id) const {
    auto found = indexByID_.find(id);
    if (found == indexByID_.end()) return std::nullopt;
    return found->second;
}

ListenerRowState ListenerListView::stateOf(const std::string& id) const { return {selectedID_ == id, expandedID_ == id}; }

QRect ListenerListView::rowRectInViewport(std::size_t index) const {
    return {0, layout_.tops[index] - verticalScrollBar()->value(), viewport()->width(), layout_.heights[index]};
}

int ListenerListView::rowHeight(const ListenerRowTexts& texts) {
    const ListenerRowShape shape = listenerRowShape(texts);
    if (auto found = heightByShape_.find(shape); found != heightByShape_.end()) return found->second;
    // A fresh row each time: a hidden row's layout keeps the height it had before its parts
    // were shown or hidden.
    ListenerRowView measure(nullptr, this);
    measure.hide();
    measure.setRow(texts, {});
    const int height = measure.sizeHint().height();
    heightByShape_.emplace(shape, height);
    return height;
}

void ListenerListView::setRows(std::vector<ListenerRowTexts> rows, const std::optional<std::string>& selectedID,
                               const std::optional<std::string>& expandedID) {
    std::vector<int> heights;
    heights.reserve(rows.size());
    for (const auto& texts : rows) heights.push_back(rowHeight(texts));
    const bool sameOrder = std::equal(rows.begin(), rows.end(), rows_.begin(), rows_.end(),
                                      [](const auto& a, const auto& b) { return a.id == b.id; });
    rows_ = std::move(rows);
    selectedID_ = selectedID;
    expandedID_ = expandedID;
    if (!sameOrder) {
        indexByID_.clear();
        for (std::size_t i = 0; i < rows_.size(); ++i) indexByID_.emplace(rows_[i].id, i);
        forgetAccessibleItems();
    }
    layout_ = ListenerRowLayout::stack(std::move(heights));
    // The content is as high as every row: the scroll bar spans the whole list.
    content_->setFixedHeight(layout_.height);
    placeRows();
    if (!sameOrder) {
        QAccessibleEvent reordered(this, QAccessible::ObjectReorder);
        QAccessible::updateAccessibility(&reordered);
    }
}

void ListenerListView::setSelection(const std::optional<std::string>& selectedID,
                                    const std::optional<std::string>& expandedID) {
    selectedID_ = selectedID;
    expandedID_ = expandedID;
    placeRows();
}

void ListenerListView::placeRows() {
    if (placing_) return;
    placing_ = true;
    const int scroll = verticalScrollBar()->value();
    const auto [first, last] = layout_.within(scroll - nearViewMargin, scroll + viewport()->height() + nearViewMargin);
    const auto pinned = [&](const std::string& id) { return selectedID_ == id || expandedID_ == id; };
    std::vector<std::size_t> wanted;
    for (const auto& id : {selectedID_, expandedID_})
        if (auto index = id ? indexOf(*id) : std::nullopt; index && (*index < first || *index >= last))
            wanted.push_back(*index);
    for (std::size_t i = first; i < last; ++i) wanted.push_back(i);
    std::sort(wanted.begin(), wanted.end());
    wanted.erase(std::unique(wanted.begin(), wanted.end()), wanted.end());

    for (auto it = bound_.begin(); it != bound_.end();) {
        const auto index = indexOf(it->first);
        const bool keep = index && ((*index >= first && *index < last) || pinned(it->first));
        if (keep) {
            ++it;
            continue;
        }
        releaseRow(it->second);
        it = bound_.erase(it);
    }
    std::vector<ListenerRowView*> stacked;
    stacked.reserve(wanted.size());
    for (const std::size_t index : wanted) {
        const ListenerRowTexts& texts = rows_[index];
        ListenerRowView*& view = bound_[texts.id];
        if (!view) view = takeSpareRow();
        view->setRow(texts, stateOf(texts.id));
        view->setGeometry(0, layout_.tops[index], content_->width(), layout_.heights[index]);
        if (view->isHidden()) view->show();
        stacked.push_back(view);
    }
    while (spare_.size() > maxSpareRows) {
        retireWidget(spare_.back());
        spare_.pop_back();
    }
    if (stacked != stacked_) {
        // Assistive technologies list a widget's children in the order they were made, not as
        // placed: raising each in turn puts them in the order they stand on screen.
        for (auto* view : stacked) view->raise();
        stacked_ = std::move(stacked);
        // Some of the list's items are widgets now, or no longer: its children changed.
        QAccessibleEvent reordered(this, QAccessible::ObjectReorder);
        QAccessible::updateAccessibility(&reordered);
    }
    placing_ = false;
    syncPulses();
}

ListenerRowView* ListenerListView::takeSpareRow() {
    if (!spare_.empty()) {
        auto* view = spare_.back();
        spare_.pop_back();
        return view;
    }
    auto* view = new ListenerRowView(clock_, content_);
    // A widget serves one row after another: each click names the row it serves now.
    view->onSelect = [this, view] {
        if (onRowSelect) onRowSelect(view->texts().id);
    };
    view->onToggleActions = [this, view] {
        if (onRowToggle) onRowToggle(view->texts().id);
    };
    view->onActionsButton = [this, view] {
        if (onRowActions) onRowActions(view->texts().id);
    };
    return view;
}

void ListenerListView::releaseRow(ListenerRowView* view) {
    view->setPulsing(false);
    view->hide();
    // The next row it serves starts without this one's hover.
    view->forgetHover();
    spare_.push_back(view);
}

void ListenerListView::setPulseAllowed(bool allowed) {
    if (allowed == pulseAllowed_) return;
    pulseAllowed_ = allowed;
    syncPulses();
}

void ListenerListView::syncPulses() {
    const QRect visible = viewport()->rect();
    for (auto& [id, view] : bound_) {
        const QRect area(view->mapTo(viewport(), QPoint(0, 0)), view->size());
        view->setPulsing(pulseAllowed_ && isVisible() && view->isVisible() && area.intersects(visible));
    }
}

void ListenerListView::scrollToRow(const std::string& id, bool animated) {
    const auto index = indexOf(id);
    if (!index) return;
    QScrollBar* bar = verticalScrollBar();
    const int target = std::clamp(layout_.centringScroll(*index, viewport()->height()), bar->minimum(), bar->maximum());
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
        const auto index = indexOf(id);
        if (!index || !isVisible()) return;
        if (!layout_.whollyInView(*index, verticalScrollBar()->value(), viewport()->height())) scrollToRow(id, false);
    });
}

void ListenerListView::pressRow(const std::string& id) {
    if (!indexOf(id)) return;
    if (onRowSelect) onRowSelect(id);
    scrollToRow(id, false);
}

QAccessibleInterface* ListenerListView::accessibleRow(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= rows_.size()) return nullptr;
    const std::string& id = rows_[static_cast<std::size_t>(index)].id;
    if (auto* view = row(id)) return QAccessible::queryAccessibleInterface(view);
    QAccessibleInterface*& item = accessibleItems_[id];
    if (!item) {
        item = newAccessibleListenerItem(this, id);
        QAccessible::registerAccessibleInterface(item);
    }
    return item;
}

int ListenerListView::accessibleIndexOf(const QAccessibleInterface* item) const {
    std::optional<std::string> id;
    if (auto* view = item ? qobject_cast<ListenerRowView*>(item->object()) : nullptr) {
        if (row(view->texts().id) == view) id = view->texts().id;
    } else if (item) {
        id = accessibleListenerItemID(item, this);
    }
    const auto index = id ? indexOf(*id) : std::nullopt;
    return index ? static_cast<int>(*index) : -1;
}

void ListenerListView::forgetAccessibleItems() {
    for (auto it = accessibleItems_.begin(); it != accessibleItems_.end();) {
        if (indexByID_.count(it->first)) {
            ++it;
            continue;
        }
        deleteAccessibleListenerItem(it->second);
        it = accessibleItems_.erase(it);
    }
}

void ListenerListView::focusInEvent(QFocusEvent* event) {
    QScrollArea::focusInEvent(event);
    // Qt announces the list itself once this returns; the selected row follows it.
    QTimer::singleShot(0, this, [this] {
        if (!hasFocus() || !selectedID_) return;
        if (auto* view = row(*selectedID_)) view->announceSelection();
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

void ListenerListView::resizeEvent(QResizeEvent* event) {
    QScrollArea::resizeEvent(event);
    placeRows();
}

void ListenerListView::showEvent(QShowEvent* event) {
    QScrollArea::showEvent(event);
    syncPulses();
}

bool ListenerListView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == content_ && event->type() == QEvent::MouseButtonPress) {
        setFocus(Qt::MouseFocusReason);
        if (onBackgroundClick) onBackgroundClick();
        return true;
    }
    if (watched == content_ && event->type() == QEvent::Resize) placeRows();
    return QScrollArea::eventFilter(watched, event);
}

}  // namespace quaylight
