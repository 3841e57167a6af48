#include "Quaylight/popover/agents/AgentHostSectionView.h"

#include <QPaintEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <map>

#include "Quaylight/design/controls/RetireWidget.h"
#include "Quaylight/design/icons/LucideIcon.h"
#include "Quaylight/design/theme/PremiumTheme.h"
#include "Quaylight/popover/agents/AgentRowView.h"
#include "Quaylight/popover/agents/HostIconProvider.h"
#include "Quaylight/popover/frame/DisplayText.h"
#include "Quaylight/popover/frame/PopoverWidgets.h"

namespace quaylight {

namespace {

constexpr int headerTop = 10;
constexpr int headerBottom = 4;
constexpr int headerSide = 18;
constexpr int appIconSize = 14;
constexpr int vectorIconSize = 12;
constexpr int headerSpacing = 7;

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
    : QWidget(parent), icons_(icons), layout_(new QVBoxLayout(this)) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    layout_->setContentsMargins(0, headerHeight(), 0, 0);
    layout_->setSpacing(2);
}

AgentHostSectionView::~AgentHostSectionView() = default;

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
    std::map<std::string, AgentRowView*> previous;
    for (auto* row : rows_) previous.emplace(row->rowKey(), row);

    bool changed = false;
    std::vector<AgentRowView*> next;
    next.reserve(section.rows.size());
    for (const auto& session : section.rows) {
        AgentRowView* row = nullptr;
        bool fresh = false;
        if (auto found = previous.find(session.rowKey()); found != previous.end()) {
            row = found->second;
            previous.erase(found);
        } else {
            row = new AgentRowView(this);
            fresh = true;
        }
        const bool sessionChanged = fresh || !(row->session() == session);
        if (sessionChanged && actionsFor) row->actions = actionsFor(session);
        AgentRowContext context = contextFor ? contextFor(session) : AgentRowContext{};
        changed = row->apply(session, context) || changed;
        next.push_back(row);
    }
    for (auto& [key, row] : previous) {
        retireWidget(row);
    }
    if (next != rows_) {
        relayInOrder(layout_, std::vector<QWidget*>(next.begin(), next.end()));
        // One layout pass for all new rows: showing a row in a shown section lays out the whole
        // section again, which made a burst of new sessions cost time squared.
        layout_->setEnabled(false);
        for (auto* row : next) row->show();
        layout_->setEnabled(true);
        layout_->activate();
        rows_ = std::move(next);
        changed = true;
    }
    return changed;
}

AgentRowView* AgentHostSectionView::row(const std::string& rowKey) const {
    for (auto* row : rows_)
        if (row->rowKey() == rowKey) return row;
    return nullptr;
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
