#pragma once
// A session's state as a coloured dot and a word. Static: the dot never animates.

#include <QColor>
#include <QWidget>

#include "Quaylight/agent-inventory/model/AgentSessionState.h"

namespace quaylight {

struct AgentStateBadgeLook {
    QString label;
    QColor dot;
    QColor text;
    friend bool operator==(const AgentStateBadgeLook&, const AgentStateBadgeLook&) = default;
};

AgentStateBadgeLook agentStateBadgeLook(AgentSessionState state);

class AgentStateBadge : public QWidget {
    Q_OBJECT
public:
    explicit AgentStateBadge(AgentSessionState state, QWidget* parent = nullptr);

    AgentSessionState state() const { return state_; }
    const AgentStateBadgeLook& look() const { return look_; }
    // Repaints only when the state changed.
    void setState(AgentSessionState state);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    AgentSessionState state_;
    AgentStateBadgeLook look_;
};

}  // namespace quaylight
