#include "Quaylight/popover/agents/AgentRowView.h"

#include <QAbstractButton>
#include <QPaintEvent>

namespace quaylight {

struct AgentRowView::Parts {};

AgentRowView::AgentRowView(QWidget* parent) : QWidget(parent), parts_(new Parts) {}

AgentRowView::~AgentRowView() { delete parts_; }

bool AgentRowView::apply(const AgentSessionSnapshot& session, const AgentRowContext& context) {
    auto texts = agentRowTexts(session, context);
    session_ = session;
    context_ = context;
    bool changed = !built_ || texts != texts_;
    applyTexts(texts, !built_);
    built_ = true;
    return changed;
}

void AgentRowView::applyTexts(const AgentRowTexts& texts, bool) { texts_ = texts; }

QAbstractButton* AgentRowView::rowButton() const { return nullptr; }
QWidget* AgentRowView::detailBand() const { return nullptr; }
QAbstractButton* AgentRowView::focusButton() const { return nullptr; }
QAbstractButton* AgentRowView::portsButton() const { return nullptr; }
QAbstractButton* AgentRowView::stopButton() const { return nullptr; }

void AgentRowView::paintEvent(QPaintEvent*) { ++paintCount_; }
void AgentRowView::enterEvent(QEnterEvent*) { setHovering(true); }
void AgentRowView::leaveEvent(QEvent*) { setHovering(false); }
void AgentRowView::setHovering(bool hovering) { hovering_ = hovering; }

}  // namespace quaylight
