#pragma once
// The Ports rail under the search field: the exact-scope chip while a scope narrows the
// list, the filter chips in a sideways-scrolling row, and the sort trigger. It draws the
// state it is given and forwards clicks; the sort menu itself lives in the panel's popup
// layer, so that no parent clips it.

#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

#include "ProcessCoreKit/records/AgentKind.h"
#include "QuaylightKit/list/FilterCategory.h"
#include "QuaylightKit/list/ListenerSortMode.h"

class QAbstractButton;
class QHBoxLayout;
class QScrollArea;

namespace quaylight {

class FilterChip;

class PortsRailView : public QWidget {
    Q_OBJECT
public:
    struct State {
        std::vector<FilterCategory> chips;  // in rail order, the active one included
        FilterCategory active = FilterCategory::all;
        std::optional<AgentKind> scopeProvider;  // set while an exact agent scope narrows the list
        ListenerSortMode sortMode = ListenerSortMode::port;
        bool sortMenuOpen = false;

        friend bool operator==(const State&, const State&) = default;
    };

    // Below the chips, where the active chip's glow falls; the bar gives up as much of its
    // own bottom margin while the rail shows.
    static constexpr int glowRoom = 10;

    explicit PortsRailView(QWidget* parent = nullptr);

    void set(const State& state);
    const State& state() const { return state_; }

    // The chip of a category, when shown.
    QAbstractButton* chip(FilterCategory category) const;
    std::vector<QAbstractButton*> chips() const;
    QAbstractButton* scopeChip() const;  // null while no scope is set
    QAbstractButton* sortTrigger() const;
    QScrollArea* chipScroller() const { return scroller_; }

    std::function<void(FilterCategory)> onChooseFilter;
    std::function<void()> onRemoveScope;
    std::function<void()> onToggleSort;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void rebuildChips();
    void revealActiveChip();

    State state_;
    bool stateSet_ = false;
    QHBoxLayout* row_;
    QAbstractButton* scope_ = nullptr;
    QScrollArea* scroller_;
    QWidget* chipRow_;
    std::vector<std::pair<FilterCategory, FilterChip*>> chips_;
    QAbstractButton* sort_;
};

}  // namespace quaylight
