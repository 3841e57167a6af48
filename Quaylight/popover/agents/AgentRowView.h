#pragma once
// One agent session in the Agents tab: a clickable line (provider chip, state badge,
// project, related ports, location, elapsed time, chevron) and, while expanded, a detail
// band with the evidence, host, PID, an explanation, the related ports and the actions.
// The row is told its session and context and reports clicks; applying the same again
// changes nothing and paints nothing.

#include <QWidget>
#include <string>

#include "Quaylight/popover/frame/HoverTint.h"
#include "Quaylight/popover/model/AgentRowTexts.h"

class QAbstractButton;

namespace quaylight {

class AgentRowView : public QWidget {
    Q_OBJECT
public:
    explicit AgentRowView(QWidget* parent = nullptr);
    ~AgentRowView() override;

    // Returns whether anything shown changed.
    bool apply(const AgentSessionSnapshot& session, const AgentRowContext& context);
    // Forgets what the pointer did to the row (hover, a press), so that it can be applied
    // to another session: the list reuses rows scrolled out for the rows scrolled in.
    void forgetPointer();

    const AgentSessionSnapshot& session() const { return session_; }
    const AgentRowContext& context() const { return context_; }
    const AgentRowTexts& texts() const { return texts_; }
    const std::string& rowKey() const { return texts_.rowKey; }
    bool isExpanded() const { return texts_.isExpanded; }
    bool isHovering() const { return hover_->isHovering(); }
    // How far the hover tint has come in, 0 to 1: it eases in and out over a moment, or
    // follows the pointer at once when the desktop asks for reduced motion.
    qreal hoverTint() const { return hover_->value(); }

    AgentRowActions actions;

    // The clickable line, its detail band and its buttons, for the list and for tests.
    QAbstractButton* rowButton() const;
    QWidget* detailBand() const;
    QAbstractButton* focusButton() const;
    QAbstractButton* portsButton() const;
    QAbstractButton* stopButton() const;

    // The height of every closed row: the list places rows that have no widget by it.
    static int collapsedHeight();

    // Counts paint events of the row itself, for tests that an unchanged row is not repainted.
    int paintCount() const { return paintCount_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    struct Parts;
    void applyTexts(const AgentRowTexts& texts, bool first);

    AgentSessionSnapshot session_;
    AgentRowContext context_;
    AgentRowTexts texts_;
    bool built_ = false;
    int paintCount_ = 0;
    Parts* parts_;
    HoverTint* hover_;
};

}  // namespace quaylight
