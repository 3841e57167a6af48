#pragma once
// The Ports rail's sort menu: the sort modes, a divider and "Refresh now". It opens on the
// current mode, takes focus on the next event-loop turn, and answers the arrows (wrapping),
// Return and Escape; hover moves the highlight.

#include <QWidget>
#include <functional>
#include <vector>

#include "Quaylight/popover/model/PortsRailTexts.h"

namespace quaylight {

class PremiumMenuButton;

class SortMenu : public QWidget {
    Q_OBJECT
public:
    static constexpr int menuWidth = 166;

    struct Callbacks {
        std::function<void(ListenerSortMode)> onChoose;
        std::function<void()> requestScan;  // may be unset: "Refresh now" then only closes
        std::function<void()> onDismiss;    // closes the menu; may delete it
    };

    SortMenu(ListenerSortMode current, Callbacks callbacks, QWidget* parent = nullptr);

    int highlightedIndex() const { return highlighted_; }
    const std::vector<PremiumMenuButton*>& buttons() const { return buttons_; }
    void run(int index);

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void setHighlighted(int index);

    Callbacks callbacks_;
    std::vector<PremiumMenuButton*> buttons_;
    int highlighted_;
};

}  // namespace quaylight
