#include "Quaylight/popover/agents/AgentStateBadge.h"

#include <QFontMetricsF>
#include <QPainter>

#include "Quaylight/design/theme/PremiumTheme.h"
#include "Quaylight/popover/model/AgentRowTexts.h"

namespace quaylight {

namespace {

constexpr qreal dotSize = 6;
constexpr qreal spacing = 6;

QFont badgeFont() { return PremiumTheme::display(11.5, PremiumFontWeight::medium); }

}  // namespace

AgentStateBadgeLook agentStateBadgeLook(AgentSessionState state) {
    auto label = QString::fromStdString(agentStateLabel(state));
    switch (state) {
        case AgentSessionState::needsAttention: return {label, PremiumTheme::warning(), PremiumTheme::warning()};
        case AgentSessionState::working: return {label, PremiumTheme::success(), PremiumTheme::success()};
        case AgentSessionState::waiting: return {label, PremiumTheme::info(), PremiumTheme::info()};
        // Detected is the one state whose dot is dimmer than its word.
        case AgentSessionState::detected: return {label, PremiumTheme::textTertiary(), PremiumTheme::textSecondary()};
        case AgentSessionState::recentlyFinished: break;
    }
    return {label, PremiumTheme::textSecondary(), PremiumTheme::textSecondary()};
}

AgentStateBadge::AgentStateBadge(AgentSessionState state, QWidget* parent)
    : QWidget(parent), state_(state), look_(agentStateBadgeLook(state)) {
    setFont(badgeFont());
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAccessibleName(look_.label);
}

void AgentStateBadge::setState(AgentSessionState state) {
    if (state == state_) return;
    state_ = state;
    look_ = agentStateBadgeLook(state);
    setAccessibleName(look_.label);
    updateGeometry();
    update();
}

QSize AgentStateBadge::sizeHint() const {
    QFontMetricsF metrics(font());
    return QSizeF(dotSize + spacing + metrics.horizontalAdvance(look_.label), std::max(dotSize, metrics.height()))
        .toSize() + QSize(1, 0);
}

QSize AgentStateBadge::minimumSizeHint() const { return QSize(qRound(dotSize + spacing), sizeHint().height()); }

void AgentStateBadge::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    qreal midY = height() / 2.0;
    p.setPen(Qt::NoPen);
    p.setBrush(look_.dot);
    p.drawEllipse(QRectF(0, midY - dotSize / 2, dotSize, dotSize));
    QRectF textRect(dotSize + spacing, 0, width() - dotSize - spacing, height());
    QFontMetricsF metrics(font());
    p.setPen(look_.text);
    p.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
               metrics.elidedText(look_.label, Qt::ElideRight, textRect.width()));
}

}  // namespace quaylight
