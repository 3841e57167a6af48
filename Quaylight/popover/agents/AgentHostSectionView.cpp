#include "Quaylight/popover/agents/AgentHostSectionView.h"

#include <QApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <algorithm>

#include "Quaylight/design/controls/RetireWidget.h"
#include "Quaylight/design/icons/LucideIcon.h"
#include "Quaylight/design/theme/PremiumTheme.h"
#include "Quaylight/popover/agents/AgentListAccessibility.h"
#include "Quaylight/popover/agents/AgentRowView.h"
#include "Quaylight/popover/agents/HostIconProvider.h"
#include "Quaylight/popover/frame/DisplayText.h"

namespace quaylight {

namespace {

constexpr int headerTop = 10;
constexpr int headerBottom = 4;
constexpr int headerSide = 18;
constexpr int appIconSize = 14;
constexpr int vectorIconSize = 12;
constexpr int headerSpacing = 7;
constexpr int rowSpacing = 2;

QFont headerFont() {
    QFont font = PremiumTheme::mono(10, QFont::Normal);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0.9);
    return font;
}

QFont countFont() { return PremiumTheme::mono(10, QFont::Normal); }

bool sameIcon(const std::optional<QIcon>& a, const std::optional<QIcon>& b) {
    if (a.has_value() != b.has_value()) return false;
    return !a || a->cacheKey() == b->cacheKey();
}

}  // namespace

AgentHostSectionView::AgentHostSectionView(HostIconProvider& icons, QWidget* parent)
    : QWidget(parent), icons_(icons) {
    ensureAgentListAccessibility();
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    extents_ = stackExtents({}, headerHeight(), rowSpacing, 0);
}

AgentHostSectionView::~AgentHostSectionView() { dropStandIns(); }

int AgentHostSectionView::headerHeight() const {
    const int line = std::max({appIconSize, QFontMetrics(headerFont()).height(), QFontMetrics(countFont()).height()});
    return headerTop + line + headerBottom;
}

bool AgentHostSectionView::apply(const AgentInventoryListModel::Section& section, const ContextFor& contextFor) {
    auto texts = agentHostSectionTexts(section);
    // Whether the host still runs comes with the snapshot: a host app found gone falls back
    // to the vector icon, and nothing here reads processes.
    std::optional<QIcon> icon = section.host && section.hostRunning ? icons_.icon(*section.host) : std::nullopt;
    const bool headerChanged = !built_ || texts != texts_ || !sameIcon(icon, appIcon_);
    if (headerChanged) {
        texts_ = std::move(texts);
        appIcon_ = std::move(icon);
        setAccessibleName(displayText(texts_.accessibilityLabel));
        update(QRect(0, 0, width(), headerHeight()));
    }
    built_ = true;
    const bool rowsChanged = applyRows(section, contextFor);
    return headerChanged || rowsChanged;
}

bool AgentHostSectionView::applyRows(const AgentInventoryListModel::Section& section, const ContextFor& contextFor) {
    std::vector<Listed> listed;
    listed.reserve(section.rows.size());
    for (const auto& session : section.rows)
        listed.push_back({session, contextFor ? contextFor(session) : AgentRowContext{}, session.rowKey()});
    const bool sameKeys = std::equal(listed.begin(), listed.end(), listed_.begin(), listed_.end(),
                                     [](const Listed& a, const Listed& b) { return a.key == b.key; });
    listed_ = std::move(listed);
    if (!sameKeys) {
        indexByKey_.clear();
        for (std::size_t i = 0; i < listed_.size(); ++i) indexByKey_.emplace(listed_[i].key, i);
        for (auto it = standIns_.begin(); it != standIns_.end();) {
            if (indexByKey_.contains(it->first)) {
                ++it;
                continue;
            }
            QAccessible::deleteAccessibleInterface(it->second);
            it = standIns_.erase(it);
        }
    }

    bool changed = !sameKeys;
    for (auto it = shown_.begin(); it != shown_.end();) {
        auto* row = it->second;
        const auto index = rowIndex(it->first);
        if (!index) {
            retireWidget(row);
            it = shown_.erase(it);
            continue;
        }
        const auto& entry = listed_[*index];
        if (!(row->session() == entry.session) && actionsFor) row->actions = actionsFor(entry.session);
        changed = row->apply(entry.session, entry.context) || changed;
        ++it;
    }
    changed = relayout() || changed;
    if (!sameKeys) {
        // A reader that listed the rows reads them again.
        QAccessibleEvent reordered(this, QAccessible::ObjectReorder);
        QAccessible::updateAccessibility(&reordered);
    }
    return changed;
}

std::optional<std::size_t> AgentHostSectionView::rowIndex(const std::string& rowKey) const {
    auto found = indexByKey_.find(rowKey);
    if (found == indexByKey_.end()) return std::nullopt;
    return found->second;
}

AgentRowView* AgentHostSectionView::row(const std::string& rowKey) const {
    auto found = shown_.find(rowKey);
    return found == shown_.end() ? nullptr : found->second;
}

void AgentHostSectionView::setWindow(std::optional<Window> window) {
    if (width() == laidOutWidth_) {
        if (window == window_) return;
        // Most scroll steps move the window within the same rows: nothing to lay out.
        if (window && window_ &&
            extents_.within(window->top, window->bottom) == extents_.within(window_->top, window_->bottom)) {
            window_ = window;
            return;
        }
    }
    window_ = window;
    relayout();
}

void AgentHostSectionView::ensureLaidOut() {
    if (width() != laidOutWidth_) relayout();
}

std::vector<int> AgentHostSectionView::rowHeights(std::optional<int> width) const {
    std::vector<int> heights;
    heights.reserve(listed_.size());
    const int collapsed = AgentRowView::collapsedHeight();
    for (const auto& entry : listed_) {
        // An open row is a widget whatever the window, and its detail band wraps with the width.
        AgentRowView* open = entry.context.isExpanded ? row(entry.key) : nullptr;
        if (!open) {
            heights.push_back(collapsed);
            continue;
        }
        // Without a width, as the row would like to be (the section's own size hint).
        const int forWidth = width && open->hasHeightForWidth() ? open->heightForWidth(*width) : -1;
        heights.push_back(std::max(forWidth > 0 ? forWidth : open->sizeHint().height(), collapsed));
    }
    return heights;
}

AgentRowView* AgentHostSectionView::materialize(std::size_t index, std::vector<AgentRowView*>* spare) {
    const auto& entry = listed_[index];
    if (auto* existing = row(entry.key)) return existing;
    AgentRowView* made = nullptr;
    if (spare && !spare->empty()) {
        // A row just scrolled out takes the new one: cheaper than making its widgets anew.
        made = spare->back();
        spare->pop_back();
        made->forgetPointer();
    } else {
        made = new AgentRowView(this);
    }
    if (actionsFor) made->actions = actionsFor(entry.session);
    made->apply(entry.session, entry.context);
    shown_.emplace(entry.key, made);
    // The widget speaks for the row from now on.
    dropStandIn(entry.key);
    return made;
}

bool AgentHostSectionView::relayout() {
    if (relayingOut_) return false;
    relayingOut_ = true;
    const int w = width();
    laidOutWidth_ = w;
    bool changed = false;
    const std::size_t before = shown_.size();
    for (std::size_t i = 0; i < listed_.size(); ++i)
        if (listed_[i].context.isExpanded) materialize(i);
    auto extents = stackExtents(rowHeights(w), headerHeight(), rowSpacing, 0);
    const auto range = window_ ? extents.within(window_->top, window_->bottom)
                               : StackedExtents::Range{0, listed_.size()};
    // The row holding the keyboard focus stays too: hiding it would pass the focus on, and
    // the scroll area would scroll to wherever it lands.
    const QWidget* focused = QApplication::focusWidget();
    std::vector<AgentRowView*> spare;
    for (auto it = shown_.begin(); it != shown_.end();) {
        const std::size_t index = indexByKey_.at(it->first);
        const bool holdsFocus = focused && (focused == it->second || it->second->isAncestorOf(focused));
        if (range.contains(index) || listed_[index].context.isExpanded || holdsFocus) {
            ++it;
            continue;
        }
        spare.push_back(it->second);
        it = shown_.erase(it);
        changed = true;
    }
    for (std::size_t i = range.first; i < range.last; ++i) materialize(i, &spare);
    for (auto* unused : spare) retireWidget(unused);
    changed = changed || shown_.size() != before;

    std::vector<std::pair<std::size_t, AgentRowView*>> ordered;
    ordered.reserve(shown_.size());
    for (const auto& [key, view] : shown_) ordered.emplace_back(indexByKey_.at(key), view);
    std::sort(ordered.begin(), ordered.end());
    std::vector<AgentRowView*> rows;
    rows.reserve(ordered.size());
    for (const auto& [index, view] : ordered) {
        const QRect place(0, extents.tops[index], w, extents.heights[index]);
        if (view->geometry() != place) {
            view->setGeometry(place);
            changed = true;
        }
        if (view->isHidden()) view->show();
        rows.push_back(view);
    }
    if (rows != rows_) {
        rows_ = std::move(rows);
        changed = true;
    }
    const bool grew = extents.height != extents_.height;
    extents_ = std::move(extents);
    if (grew) {
        updateGeometry();
        changed = true;
    }
    relayingOut_ = false;
    return changed;
}

QSize AgentHostSectionView::sizeHint() const {
    int widest = 0;
    for (auto* view : rows_) widest = std::max(widest, view->sizeHint().width());
    return {widest, stackExtents(rowHeights(std::nullopt), headerHeight(), rowSpacing, 0).height};
}

int AgentHostSectionView::heightForWidth(int width) const {
    if (width == laidOutWidth_) return extents_.height;
    return stackExtents(rowHeights(width), headerHeight(), rowSpacing, 0).height;
}

void AgentHostSectionView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (width() == laidOutWidth_) return;
    const int before = extents_.height;
    relayout();
    if (extents_.height != before) emit heightChanged();
}

bool AgentHostSectionView::event(QEvent* event) {
    // A row whose content changed its size asks for a layout: its neighbours move.
    if (event->type() == QEvent::LayoutRequest) {
        const int before = extents_.height;
        relayout();
        if (extents_.height != before) emit heightChanged();
    }
    return QWidget::event(event);
}

QAccessibleInterface* AgentHostSectionView::accessibleRow(std::size_t index) {
    if (index >= listed_.size()) return nullptr;
    const std::string& key = listed_[index].key;
    if (auto* view = row(key)) return QAccessible::queryAccessibleInterface(view);
    if (auto found = standIns_.find(key); found != standIns_.end())
        return QAccessible::accessibleInterface(found->second);
    auto* standIn = makeAgentRowStandIn(this, key);
    standIns_.emplace(key, QAccessible::registerAccessibleInterface(standIn));
    return standIn;
}

int AgentHostSectionView::accessibleIndexOf(const QAccessibleInterface* child) const {
    if (!child) return -1;
    std::optional<std::string> key;
    if (auto* view = qobject_cast<AgentRowView*>(child->object())) {
        if (row(view->rowKey()) == view) key = view->rowKey();
    } else {
        key = agentRowStandInKey(child);
    }
    if (!key) return -1;
    const auto index = rowIndex(*key);
    return index ? static_cast<int>(*index) : -1;
}

std::optional<AgentHostSectionView::RowReading> AgentHostSectionView::readRow(const std::string& rowKey) const {
    const auto index = rowIndex(rowKey);
    if (!index) return std::nullopt;
    const auto& entry = listed_[*index];
    const auto texts = agentRowTexts(entry.session, entry.context);
    RowReading reading;
    reading.name = displayText(texts.accessibilitySummary);
    reading.description = QString::fromStdString(texts.accessibilityHint);
    reading.expanded = texts.isExpanded;
    const QRect local(0, extents_.tops[*index], width(), extents_.heights[*index]);
    reading.globalRect = QRect(mapToGlobal(local.topLeft()), local.size());
    reading.onScreen = isVisible() && visibleRegion().intersects(local);
    return reading;
}

void AgentHostSectionView::dropStandIn(const std::string& key) {
    auto found = standIns_.find(key);
    if (found == standIns_.end()) return;
    QAccessible::deleteAccessibleInterface(found->second);
    standIns_.erase(found);
}

void AgentHostSectionView::dropStandIns() {
    for (const auto& [key, id] : standIns_) QAccessible::deleteAccessibleInterface(id);
    standIns_.clear();
}

void AgentHostSectionView::paintEvent(QPaintEvent* event) {
    ++paintCount_;
    const int height = headerHeight();
    if (!event->rect().intersects(QRect(0, 0, width(), height))) return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const int lineTop = headerTop;
    const int lineHeight = height - headerTop - headerBottom;
    qreal x = headerSide;
    if (appIcon_) {
        const QRect target(headerSide, lineTop + (lineHeight - appIconSize) / 2, appIconSize, appIconSize);
        appIcon_->paint(&p, target);
        x += appIconSize;
    } else {
        const QRectF target(headerSide, lineTop + (lineHeight - vectorIconSize) / 2.0, vectorIconSize,
                            vectorIconSize);
        paintLucideIcon(p, target, texts_.fallbackIcon, PremiumTheme::textTertiary());
        x += vectorIconSize;
    }
    x += headerSpacing;
    const qreal right = width() - headerSide;
    p.setPen(PremiumTheme::textTertiary());
    const QString count = QString::fromStdString(texts_.countText);
    const QFontMetricsF countMetrics(countFont());
    const qreal countWidth = countMetrics.horizontalAdvance(count) + 1;
    p.setFont(headerFont());
    const QFontMetricsF titleMetrics(headerFont());
    const QString title = titleMetrics.elidedText(displayText(texts_.headerTitle), Qt::ElideRight,
                                                  std::max<qreal>(0, right - x - headerSpacing - countWidth));
    const qreal titleWidth = titleMetrics.horizontalAdvance(title);
    p.drawText(QRectF(x, lineTop, titleWidth + 1, lineHeight), Qt::AlignLeft | Qt::AlignVCenter, title);
    x += titleWidth + headerSpacing;
    p.setFont(countFont());
    p.drawText(QRectF(x, lineTop, countWidth, lineHeight), Qt::AlignLeft | Qt::AlignVCenter, count);
}

}  // namespace quaylight
