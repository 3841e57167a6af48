#include "Quaylight/popover/frame/PortsRailView.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>
#include <cmath>

#include "Quaylight/design/controls/PremiumChip.h"
#include "Quaylight/design/controls/RetireWidget.h"
#include "Quaylight/design/controls/Shapes.h"
#include "Quaylight/design/icons/LucideIcon.h"
#include "Quaylight/design/theme/PremiumTheme.h"
#include "Quaylight/popover/frame/FilterChip.h"
#include "Quaylight/popover/model/PortsRailTexts.h"

namespace quaylight {

namespace {

QString q(const std::string& text) { return QString::fromStdString(text); }

void showChip(FilterChip* chip, FilterCategory category, bool selected) {
    chip->set(q(PortsChipRail::chipTitle(category)), q(PortsChipRail::chipAccessibilityLabel(category)), selected);
}

// Every control of the rail: a click must leave the keys with the list.
void railControl(QAbstractButton* button) {
    button->setFocusPolicy(Qt::NoFocus);
    button->setCursor(Qt::PointingHandCursor);
}

// "Ports related to this Codex agent ×" on an accent capsule; clicking it removes the scope.
class ExactScopeChip : public QAbstractButton {
public:
    static constexpr qreal iconSize = 11;
    static constexpr qreal spacing = 5;
    static constexpr qreal horizontalPadding = 11;
    static constexpr qreal verticalPadding = 5;

    ExactScopeChip(AgentKind provider, QWidget* parent) : QAbstractButton(parent), provider_(provider) {
        railControl(this);
        setObjectName(QStringLiteral("exactScopeChip"));
        setFont(PremiumTheme::display(11.5, PremiumFontWeight::medium));
        setText(q(PortsChipRail::exactScopeTitle(provider)));
        setAccessibleName(q(PortsChipRail::exactScopeAccessibilityLabel(provider)));
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }
    AgentKind provider() const { return provider_; }
    QSize sizeHint() const override {
        const QFontMetricsF metrics(font());
        const qreal content = metrics.horizontalAdvance(text()) + spacing + iconSize;
        const qreal height = std::max(metrics.height(), iconSize);
        return {int(std::ceil(content + 2 * horizontalPadding)), int(std::ceil(height + 2 * verticalPadding))};
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(isDown() ? withOpacity(PremiumTheme::accent(), 0.85) : PremiumTheme::accent());
        p.drawPath(capsulePath(QRectF(rect())));
        const QRectF box(width() - horizontalPadding - iconSize, (height() - iconSize) / 2, iconSize, iconSize);
        p.setFont(font());
        p.setPen(white());
        p.drawText(QRectF(horizontalPadding, 0, box.left() - spacing - horizontalPadding, height()),
                   Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text());
        paintLucideIcon(p, box, LucideIconName::x, white());
    }

private:
    AgentKind provider_;
};

// "Sort: Port ⌄": the trigger of the sort menu; the chevron turns over while the menu is open.
class SortTrigger : public QAbstractButton {
public:
    static constexpr qreal iconSize = 11;
    static constexpr qreal spacing = 6;

    explicit SortTrigger(QWidget* parent) : QAbstractButton(parent) {
        railControl(this);
        setObjectName(QStringLiteral("sortTrigger"));
        setFont(PremiumTheme::mono(11, QFont::Normal));
        setAccessibleName(QStringLiteral("Sort listeners"));
        setToolTip(QStringLiteral("Sort listeners or refresh"));
        setFixedHeight(28);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }
    void set(ListenerSortMode mode, bool open) {
        const QString title = q(SortMenuModel::title(mode));
        if (accessibleDescription() == title && open_ == open) return;
        setText(QStringLiteral("Sort: ") + title);
        setAccessibleDescription(title);
        open_ = open;
        updateGeometry();
        update();
    }
    QSize sizeHint() const override {
        const qreal width = QFontMetricsF(font()).horizontalAdvance(text()) + spacing + iconSize;
        return {int(std::ceil(width)), 28};
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QColor ink = white(isDown() ? 0.3 : 0.48);
        p.setFont(font());
        p.setPen(ink);
        const qreal textWidth = width() - spacing - iconSize;
        p.drawText(QRectF(0, 0, textWidth, height()), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text());
        const QRectF box(width() - iconSize, (height() - iconSize) / 2, iconSize, iconSize);
        paintDisclosureChevron(p, box, open_, ink);
    }

private:
    bool open_ = false;
};

}  // namespace

PortsRailView::PortsRailView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("portsRail"));
    row_ = new QHBoxLayout(this);
    row_->setContentsMargins(0, 0, 0, 0);
    row_->setSpacing(10);

    scroller_ = new QScrollArea(this);
    scroller_->setObjectName(QStringLiteral("chipScroller"));
    scroller_->setAccessibleName(QStringLiteral("Filters"));
    scroller_->setFrameShape(QFrame::NoFrame);
    scroller_->setFocusPolicy(Qt::NoFocus);
    scroller_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroller_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroller_->setWidgetResizable(true);
    scroller_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    scroller_->viewport()->setAutoFillBackground(false);
    scroller_->viewport()->installEventFilter(this);
    chipRow_ = new QWidget;
    auto* chips = new QHBoxLayout(chipRow_);
    // Room below the chips for the active chip's glow: the scroller would cut it.
    chips->setContentsMargins(0, 1, 0, 1 + glowRoom);
    chips->setSpacing(6);
    chips->addStretch(1);
    scroller_->setWidget(chipRow_);
    chipRow_->setAutoFillBackground(false);  // setWidget turned it on: the panel shows through
    row_->addWidget(scroller_, 1);

    sort_ = new SortTrigger(this);
    row_->addWidget(sort_, 0, Qt::AlignTop);

    connect(sort_, &QAbstractButton::clicked, this, [this] {
        if (onToggleSort) onToggleSort();
    });
    // A chip row without chips is still as tall as one, so the rail does not jump.
    scroller_->setFixedHeight(PremiumChip(QStringLiteral("All ports"), PremiumChipStyle::neutral).sizeHint().height() + 2 +
                               glowRoom);
    static_cast<SortTrigger*>(sort_)->set(state_.sortMode, false);
}

void PortsRailView::set(const State& state) {
    if (stateSet_ && state == state_) return;
    const bool chipsChanged = !stateSet_ || state.chips != state_.chips;
    const bool activeChanged = !stateSet_ || state.active != state_.active;
    const bool scopeChanged = !stateSet_ || state.scopeProvider != state_.scopeProvider;
    state_ = state;
    stateSet_ = true;

    if (scopeChanged) {
        if (scope_) {
            retireWidget(scope_);
            scope_ = nullptr;
        }
        if (state.scopeProvider) {
            scope_ = new ExactScopeChip(*state.scopeProvider, this);
            row_->insertWidget(0, scope_, 0, Qt::AlignTop);
            scope_->show();
            connect(scope_, &QAbstractButton::clicked, this, [this] {
                if (onRemoveScope) onRemoveScope();
            });
        }
    }
    if (chipsChanged) rebuildChips();
    for (auto& [category, button] : chips_) showChip(button, category, category == state.active);
    static_cast<SortTrigger*>(sort_)->set(state.sortMode, state.sortMenuOpen);
    if (activeChanged || chipsChanged) revealActiveChip();
}

void PortsRailView::rebuildChips() {
    auto* layout = static_cast<QHBoxLayout*>(chipRow_->layout());
    for (auto& [category, button] : chips_) retireWidget(button);
    chips_.clear();
    int index = 0;
    for (auto category : state_.chips) {
        auto* button = new FilterChip(chipRow_);
        showChip(button, category, category == state_.active);
        connect(button, &QAbstractButton::clicked, this, [this, category] {
            if (onChooseFilter) onChooseFilter(category);
        });
        layout->insertWidget(index++, button, 0, Qt::AlignVCenter);
        button->show();
        chips_.emplace_back(category, button);
    }
}

void PortsRailView::revealActiveChip() {
    QAbstractButton* active = chip(state_.active);
    if (!active) return;
    // The row is laid out now, so that the chip's place is known before the next paint.
    chipRow_->layout()->activate();
    if (chipRow_->width() < chipRow_->minimumSizeHint().width())
        chipRow_->resize(chipRow_->minimumSizeHint().width(), chipRow_->height());
    scroller_->ensureWidgetVisible(active, 8, 0);
}

bool PortsRailView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == scroller_->viewport() && event->type() == QEvent::Wheel) {
        // A mouse with only a vertical wheel still reaches every chip: both wheels move
        // the row sideways.
        auto* wheel = static_cast<QWheelEvent*>(event);
        const QPoint pixels = wheel->pixelDelta();
        const QPoint angle = wheel->angleDelta();
        int step = 0;
        if (!pixels.isNull()) step = std::abs(pixels.y()) > std::abs(pixels.x()) ? pixels.y() : pixels.x();
        else step = (std::abs(angle.y()) > std::abs(angle.x()) ? angle.y() : angle.x()) / 2;
        QScrollBar* bar = scroller_->horizontalScrollBar();
        bar->setValue(bar->value() - step);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

QAbstractButton* PortsRailView::chip(FilterCategory category) const {
    for (const auto& [c, button] : chips_)
        if (c == category) return button;
    return nullptr;
}

std::vector<QAbstractButton*> PortsRailView::chips() const {
    std::vector<QAbstractButton*> result;
    for (const auto& entry : chips_) result.push_back(entry.second);
    return result;
}

QAbstractButton* PortsRailView::scopeChip() const { return scope_; }

QAbstractButton* PortsRailView::sortTrigger() const { return sort_; }

}  // namespace quaylight
