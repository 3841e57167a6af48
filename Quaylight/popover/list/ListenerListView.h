#pragma once
// The scrolling list of listener rows, keyed by stable id: rows are reused across frames and
// only moved when the order changed. It takes keyboard focus and hands every key to its
// owner, which says whether the key was used; an unused key goes on to the window.

#include <QScrollArea>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "Quaylight/popover/list/ListenerRowView.h"

class QVBoxLayout;
class QPropertyAnimation;

namespace quaylight {

class ActivityPulseClock;

class ListenerListView : public QScrollArea {
    Q_OBJECT
public:
    explicit ListenerListView(QWidget* parent = nullptr);

    void setRows(const std::vector<ListenerRowTexts>& rows, const std::optional<std::string>& selectedID,
                 const std::optional<std::string>& expandedID);
    // Whether halos may pulse at all now: the panel is revealed and motion is allowed.
    void setPulseAllowed(bool allowed);
    // Brings the row to the middle of the view (eased, or at once).
    void scrollToRow(const std::string& id, bool animated);
    // Once the rows are laid out: brings the row to the middle of the view at once, unless it
    // is wholly in view already.
    void keepRowInView(const std::string& id);

    ListenerRowView* row(const std::string& id) const;
    std::vector<std::string> rowOrder() const { return order_; }
    ActivityPulseClock* pulseClock() const { return clock_; }

    std::function<bool(QKeyEvent*)> onKey;
    std::function<void(const std::string&)> onRowSelect;
    std::function<void(const std::string&)> onRowToggle;
    std::function<void(const std::string&)> onRowActions;
    std::function<void()> onBackgroundClick;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void syncPulses();

    ActivityPulseClock* clock_;
    QWidget* content_;
    QVBoxLayout* layout_;
    std::map<std::string, ListenerRowView*> rows_;
    std::vector<std::string> order_;
    QPropertyAnimation* scroll_;
    bool pulseAllowed_ = false;
};

}  // namespace quaylight
