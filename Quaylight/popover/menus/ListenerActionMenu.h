#pragma once
// A listener row's action menu: the items of ListenerActionMenuModel on a menu surface,
// driven by pointer and keyboard. It takes focus on the next event-loop turn after it is
// shown; the arrows move the highlight (wrapping), hover moves it too, Return runs the
// highlighted item, Ctrl+C copies the URL, Escape closes only the menu.

#include <QWidget>
#include <functional>
#include <vector>

#include "Quaylight/popover/model/ListenerActionMenuModel.h"

namespace quaylight {

class PremiumMenuButton;
class PremiumMenuSurface;

class ListenerActionMenu : public QWidget {
    Q_OBJECT
public:
    struct Callbacks {
        std::function<void()> onOpen;
        std::function<void()> onKill;
        std::function<void()> onForceKill;
        std::function<void()> onStopPool;
        std::function<void()> onFocus;
        // Closes the menu; may delete it.
        std::function<void()> onDismiss;
        std::function<WallTime()> now;
    };

    ListenerActionMenu(PortListener listener, ListenerActionMenuModel::Capabilities capabilities, Callbacks callbacks,
                       QWidget* parent = nullptr);

    const std::vector<ListenerActionMenuModel::Item>& items() const { return items_; }
    int highlightedIndex() const { return highlighted_; }
    const std::vector<PremiumMenuButton*>& buttons() const { return buttons_; }
    qreal heightEstimate() const { return ListenerActionMenuModel::heightEstimate(items_); }

    // Runs the item at `index`: dismiss first, then the action.
    void run(int index);

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void setHighlighted(int index);

    PortListener listener_;
    Callbacks callbacks_;
    std::vector<ListenerActionMenuModel::Item> items_;
    std::vector<PremiumMenuButton*> buttons_;
    PremiumMenuSurface* surface_;
    int highlighted_ = 0;
};

}  // namespace quaylight
