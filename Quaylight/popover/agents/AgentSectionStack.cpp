#include "Quaylight/popover/agents/AgentSectionStack.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <algorithm>

#include "Quaylight/design/controls/RetireWidget.h"
#include "Quaylight/popover/agents/AgentRowView.h"

namespace quaylight {

namespace {

constexpr int listTop = 1;
constexpr int listBottom = 8;
constexpr int sectionSpacing = 2;
// Rows are made this far past the shown stretch at least, so a short scroll finds them.
constexpr int minimumOverscan = 240;

}  // namespace

AgentSectionStack::AgentSectionStack(HostIconProvider& icons, QScrollArea* scroll)
    : QWidget(nullptr), scroll_(scroll), viewport_(scroll->viewport()), icons_(icons) {
    extents_ = stackExtents({}, listTop, sectionSpacing, listBottom);
    // The list sizes itself: its height is the whole list's, its width the viewport's.
    scroll_->setWidgetResizable(false);
    scroll_->setWidget(this);
    viewport_->installEventFilter(this);
    connect(scroll_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { updateWindows(); });
    connect(scroll_->verticalScrollBar(), &QScrollBar::rangeChanged, this, [this] { tryReveal(); });
}

AgentSectionStack::~AgentSectionStack() = default;

AgentHostSectionView* AgentSectionStack::section(const std::string& id) const {
    auto found = sections_.find(id);
    return found == sections_.end() ? nullptr : found->second;
}

std::size_t AgentSectionStack::rowCount() const {
    std::size_t rows = 0;
    for (const auto& [id, view] : sections_) rows += view->rowCount();
    return rows;
}

int AgentSectionStack::overscan() const { return std::max(scroll_->viewport()->height(), minimumOverscan); }

void AgentSectionStack::apply(const std::vector<AgentInventoryListModel::Section>& sections,
                              const AgentHostSectionView::ContextFor& contextFor,
                              const AgentHostSectionView::ActionsFor& actionsFor) {
    restacking_ = true;
    std::vector<std::string> order;
    std::map<std::string, AgentHostSectionView*> kept;
    for (const auto& section : sections) {
        const std::string id = section.id();
        AgentHostSectionView* view = nullptr;
        if (auto found = sections_.find(id); found != sections_.end()) {
            view = found->second;
            sections_.erase(found);
        } else {
            view = new AgentHostSectionView(icons_, this);
            view->actionsFor = actionsFor;
            view->resize(width(), view->height());
            // Until the first restack places it, the section makes no row.
            view->setWindow(AgentHostSectionView::Window{});
            connect(view, &AgentHostSectionView::heightChanged, this, [this] { restack(); });
            view->show();
        }
        view->apply(section, contextFor);
        kept.emplace(id, view);
        order.push_back(id);
    }
    for (auto& [id, view] : sections_) retireWidget(view);
    sections_ = std::move(kept);
    if (order != order_) {
        // Readers list a widget's children in the order they were made: raised in turn, the
        // sections are read as they stand.
        for (const auto& id : order) sections_.at(id)->raise();
        order_ = std::move(order);
        QAccessibleEvent reordered(this, QAccessible::ObjectReorder);
        QAccessible::updateAccessibility(&reordered);
    }
    restacking_ = false;
    restack();
}

void AgentSectionStack::restack() {
    if (restacking_) return;
    restacking_ = true;
    const int w = scroll_->viewport()->width();
    std::vector<int> heights;
    heights.reserve(order_.size());
    for (const auto& id : order_) {
        auto* view = sections_.at(id);
        // The width first: an open row's band wraps with it, and so sets the height.
        if (view->width() != w) view->resize(w, view->height());
        view->ensureLaidOut();
        heights.push_back(view->contentHeight());
    }
    extents_ = stackExtents(std::move(heights), listTop, sectionSpacing, listBottom);
    for (std::size_t i = 0; i < order_.size(); ++i) {
        const QRect place(0, extents_.tops[i], w, extents_.heights[i]);
        auto* view = sections_.at(order_[i]);
        if (view->geometry() != place) view->setGeometry(place);
    }
    const QSize size(w, std::max(extents_.height, scroll_->viewport()->height()));
    if (this->size() != size) resize(size);
    restacking_ = false;
    updateWindows();
    tryReveal();
}

void AgentSectionStack::updateWindows() {
    if (restacking_) return;
    restacking_ = true;
    const int shownTop = scroll_->verticalScrollBar()->value();
    const int top = shownTop - overscan();
    const int bottom = shownTop + scroll_->viewport()->height() + overscan();
    for (std::size_t i = 0; i < order_.size() && i < extents_.tops.size(); ++i) {
        const int sectionTop = extents_.tops[i];
        sections_.at(order_[i])->setWindow(AgentHostSectionView::Window{top - sectionTop, bottom - sectionTop});
    }
    restacking_ = false;
    chainFocus();
}

void AgentSectionStack::chainFocus() {
    // A widget joins the window's focus chain at its end when made: rows made as they scroll
    // in, and the buttons of a band made when it first opens, are put back in the order they
    // stand.
    std::vector<QWidget*> chain;
    for (const auto& id : order_) {
        for (auto* row : sections_.at(id)->rows()) {
            for (QWidget* stop : {static_cast<QWidget*>(row->rowButton()), static_cast<QWidget*>(row->focusButton()),
                                  static_cast<QWidget*>(row->portsButton()), static_cast<QWidget*>(row->stopButton())})
                if (stop) chain.push_back(stop);
        }
    }
    if (chain == focusChain_) return;
    for (std::size_t i = 1; i < chain.size(); ++i) QWidget::setTabOrder(chain[i - 1], chain[i]);
    focusChain_ = std::move(chain);
}

void AgentSectionStack::reveal(const std::string& rowKey) {
    pendingReveal_ = rowKey;
    tryReveal();
}

void AgentSectionStack::tryReveal() {
    if (!pendingReveal_ || restacking_) return;
    std::optional<std::pair<int, int>> span;
    for (std::size_t i = 0; i < order_.size() && i < extents_.tops.size() && !span; ++i) {
        const auto* view = sections_.at(order_[i]);
        if (const auto index = view->rowIndex(*pendingReveal_)) {
            const int top = extents_.tops[i] + view->rowExtents().tops[*index];
            span = {top, top + view->rowExtents().heights[*index]};
        }
    }
    if (!span) {
        pendingReveal_.reset();
        return;
    }
    // A hidden list has no viewport to speak of yet: it tries again once shown.
    if (!scroll_->isVisible()) return;
    auto* bar = scroll_->verticalScrollBar();
    const int shown = scroll_->viewport()->height();
    const auto [top, bottom] = *span;
    if (bottom - top > shown || top < bar->value()) {
        bar->setValue(top);
    } else if (bottom > bar->value() + shown) {
        bar->setValue(bottom - shown);
    }
    // Once the scroll bar could reach the row, it is done.
    if (bar->maximum() >= std::min(top, std::max(0, bottom - shown))) pendingReveal_.reset();
}

bool AgentSectionStack::eventFilter(QObject* watched, QEvent* event) {
    if (watched == viewport_ && event->type() == QEvent::Resize) restack();
    return QWidget::eventFilter(watched, event);
}

void AgentSectionStack::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    tryReveal();
}

}  // namespace quaylight
