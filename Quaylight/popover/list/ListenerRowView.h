#pragma once
// One row of the listener list: port pill, title with activity light, subtitle, vitals and
// path lines, trailing badges and the actions button. The row is told its texts and flags
// and reports clicks; a row given the same texts again changes nothing and paints nothing.

#include <QWidget>
#include <functional>

#include "Quaylight/popover/model/ListenerRowTexts.h"

class QLabel;
class QHBoxLayout;
class QAbstractButton;

namespace quaylight {

class ActivityPulseClock;
class ElidedLabel;
class HoverTint;
class ActivityLight;
class RowBadge;
class VitalsLine;
class PortPill;

struct ListenerRowState {
    bool isSelected = false;
    bool actionsExpanded = false;
    friend bool operator==(const ListenerRowState&, const ListenerRowState&) = default;
};

class ListenerRowView : public QWidget {
    Q_OBJECT
public:
    ListenerRowView(ActivityPulseClock* clock, QWidget* parent = nullptr);

    // Returns whether anything changed.
    bool setRow(const ListenerRowTexts& texts, ListenerRowState state);
    const ListenerRowTexts& texts() const { return texts_; }
    const ListenerRowState& rowState() const { return state_; }

    // Whether the keyboard focus is on the list holding this row (the keys act on its selection).
    bool keysReachList() const;
    // Tells assistive technologies that the selected row is the one the keys act on; only
    // while the list has the keyboard.
    void announceSelection();

    // Whether the halo may pulse now (the list decides: revealed, in view, motion allowed).
    void setPulsing(bool pulsing);
    bool isPulsing() const;

    std::function<void()> onSelect;
    std::function<void()> onToggleActions;
    // The actions button: selects the row and toggles its menu in one click.
    std::function<void()> onActionsButton;

    // Drops the hover fill at once: the widget is put by, to serve another row next.
    void forgetHover();

    // The hover fill's share, 0 to 1 (it eases in and out).
    const HoverTint& hover() const { return *hover_; }

    // Counts paint events, for tests that a row left alone is not repainted.
    int paintCount() const { return paintCount_; }
    // Of those, the ones larger than an activity light (whose halo repaints only its square).
    int widePaintCount() const { return widePaintCount_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void applyTexts(const ListenerRowTexts& texts, bool first);

    ListenerRowTexts texts_;
    ListenerRowState state_;
    HoverTint* hover_;
    bool built_ = false;
    int paintCount_ = 0;
    int widePaintCount_ = 0;

    QHBoxLayout* layout_;
    PortPill* pill_;
    ActivityLight* light_;
    ElidedLabel* title_;
    RowBadge* systemTag_;
    QLabel* pid_;
    ElidedLabel* context_;
    VitalsLine* vitals_;
    ElidedLabel* path_;
    RowBadge* classification_;
    RowBadge* agent_;
    RowBadge* bind_;
    QAbstractButton* actions_;
};

// What assistive technologies hear of a row: its name and its description (the tooltip's lines).
QString listenerRowAccessibleName(const ListenerRowTexts& texts);
QString listenerRowAccessibleDescription(const ListenerRowTexts& texts);

}  // namespace quaylight
