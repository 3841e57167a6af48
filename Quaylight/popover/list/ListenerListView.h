#pragma once
// The scrolling list of listener rows, keyed by stable id. Only the rows in or near the view
// have a widget: a small pool of row widgets is placed over a content area as high as every
// row together, and handed from row to row as the list scrolls, so a list of thousands costs
// what a screenful costs. The selected row and the row whose menu is open keep their widgets
// wherever they stand (the keys, the focus announcement and the menu's anchor need them).
// The list takes keyboard focus and hands every key to its owner, which says whether the key
// was used; an unused key goes on to the window.

#include <QScrollArea>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "Quaylight/popover/list/ListenerRowLayout.h"
#include "Quaylight/popover/list/ListenerRowView.h"

class QPropertyAnimation;
class QAccessibleInterface;

namespace quaylight {

class ActivityPulseClock;

class ListenerListView : public QScrollArea {
    Q_OBJECT
public:
    explicit ListenerListView(QWidget* parent = nullptr);
    ~ListenerListView() override;

    void setRows(std::vector<ListenerRowTexts> rows, const std::optional<std::string>& selectedID,
                 const std::optional<std::string>& expandedID);
    // The same rows with another row selected or another menu open.
    void setSelection(const std::optional<std::string>& selectedID, const std::optional<std::string>& expandedID);
    // Whether halos may pulse at all now: the panel is revealed and motion is allowed.
    void setPulseAllowed(bool allowed);
    // Brings the row to the middle of the view (eased, or at once).
    void scrollToRow(const std::string& id, bool animated);
    // Once the rows are laid out: brings the row to the middle of the view at once, unless it
    // is wholly in view already.
    void keepRowInView(const std::string& id);

    // The row's widget while it has one: in or near the view, selected, or with its menu open.
    ListenerRowView* row(const std::string& id) const;
    std::vector<std::string> rowOrder() const;
    const std::vector<ListenerRowTexts>& rowTexts() const { return rows_; }
    const ListenerRowLayout& rowLayout() const { return layout_; }
    ActivityPulseClock* pulseClock() const { return clock_; }

    // What assistive technologies reach: one item a row, in order. A row with a widget is the
    // widget's own accessible node; any other is a light item kept until its row goes.
    int accessibleRowCount() const { return static_cast<int>(rows_.size()); }
    QAccessibleInterface* accessibleRow(int index);
    int accessibleIndexOf(const QAccessibleInterface* item) const;
    // The index of the row, if the list has it.
    std::optional<std::size_t> indexOf(const std::string& id) const;
    ListenerRowState stateOf(const std::string& id) const;
    // The row's place in the viewport's coordinates, whether or not it has a widget.
    QRect rowRectInViewport(std::size_t index) const;
    // A reader's press on a row: selects it and brings it into view, as a click would.
    void pressRow(const std::string& id);

    std::function<bool(QKeyEvent*)> onKey;
    std::function<void(const std::string&)> onRowSelect;
    std::function<void(const std::string&)> onRowToggle;
    std::function<void(const std::string&)> onRowActions;
    std::function<void()> onBackgroundClick;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int rowHeight(const ListenerRowTexts& texts);
    // Gives a widget to every row near the view and to the pinned rows, takes it back from
    // every other, and places them.
    void placeRows();
    ListenerRowView* takeSpareRow();
    void releaseRow(ListenerRowView* view);
    void syncPulses();
    // Lets go of the light items of rows the list no longer has.
    void forgetAccessibleItems();

    ActivityPulseClock* clock_;
    QWidget* content_;
    QPropertyAnimation* scroll_;
    bool pulseAllowed_ = false;

    std::vector<ListenerRowTexts> rows_;
    std::unordered_map<std::string, std::size_t> indexByID_;
    ListenerRowLayout layout_;
    std::optional<std::string> selectedID_;
    std::optional<std::string> expandedID_;

    // Rows that have a widget, and the widgets put by for the next rows to come into view.
    std::unordered_map<std::string, ListenerRowView*> bound_;
    std::vector<ListenerRowView*> spare_;
    // The bound widgets in the order they were last stacked (the screen order).
    std::vector<ListenerRowView*> stacked_;
    bool placing_ = false;

    // Each shape of row is measured once.
    std::map<ListenerRowShape, int> heightByShape_;

    std::unordered_map<std::string, QAccessibleInterface*> accessibleItems_;
};

}  // namespace quaylight
