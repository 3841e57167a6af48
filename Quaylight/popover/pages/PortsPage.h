#pragma once
// The listener page of the main area: the mode switch and search field with the Ports tab's
// rail, the body (the ports list, the state in its place, or the Agents tab's slot) and the
// footer; with the Ports tab's view state: the selection, the open row menu and the sort
// menu, and where the keys go when the list comes on screen.
//
// It reads the router's inputs and asks through the router's commands, both outliving it.
// Its menus open in `menuLayer`, above the panel's content and below the confirmation card,
// never inside a clipping parent.

#include <QObject>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Quaylight/popover/model/ListedPorts.h"
#include "Quaylight/popover/model/PopoverInputs.h"
#include "Quaylight/popover/pages/PageHolder.h"

class QKeyEvent;
class QStackedWidget;
class QWidget;

namespace quaylight {

class ListFooterView;
class ListenerActionMenu;
class ListenerListView;
class ModeSearchBar;
class PortsRailView;
class SortMenu;

class PortsPage : public QObject {
    Q_OBJECT
public:
    PortsPage(const PopoverInputs& inputs, const PopoverCommands& commands, QWidget* menuLayer, QWidget* parent);
    ~PortsPage() override;

    QWidget* page() const { return page_; }
    // The Agents tab's slot joins the body after the list and its state slot.
    void adoptAgentsSlot(QWidget* slot);
    // The menus open under `card`.
    void stackMenusUnder(QWidget* card) { card_ = card; }

    // Derives the listed ports from new inputs; the selection follows their rows.
    void reconcile();
    // The list comes on screen anew, with nobody's choice of the keys yet.
    void comesOnScreenAnew();
    // While the main area's pages change places, focus that moves is no choice of the user's.
    void setPagesSettling(bool settling) { settlingPages_ = settling; }
    // Shows the content for the inputs.
    void refresh();
    void refreshSortMenu();
    void closeMenus();
    // A card raised over the panel closes whatever menu was open under it.
    void dropMenus();
    // The header's search button: the keys go to the search field, by the user's choice.
    void chooseSearch();

    const ListedPorts& listed() const { return listed_; }
    const std::optional<std::string>& selectedID() const { return selectedID_; }
    const std::optional<std::string>& expandedID() const { return expandedID_; }
    bool showSortMenu() const { return showSortMenu_; }
    ListenerListView* list() const { return list_; }
    ModeSearchBar* searchBar() const { return bar_; }
    PortsRailView* rail() const { return rail_; }
    ListFooterView* footer() const { return footer_; }
    ListenerActionMenu* actionMenu() const { return actionMenu_; }
    SortMenu* sortMenu() const { return sortMenu_; }
    // The state in the list's place, while one shows.
    QWidget* stateView() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void wire();
    void refreshRows();
    void refreshActionMenu();
    ListenerActionMenu* makeActionMenu(const PortListener& target);
    void dismissActionMenu();
    void refreshRail();
    void toggleSortMenu();
    void dismissSortMenu();
    bool handleListKey(QKeyEvent* event);
    bool moveSelection(int delta);
    bool performOpenSelected();
    bool performFocusSelected();
    bool performKillSelected();
    void toggleActions(const std::string& id);
    void focusList();

    const PopoverInputs& inputs_;
    const PopoverCommands& commands_;
    QWidget* menuLayer_;
    QWidget* card_ = nullptr;

    // View state.
    bool showSortMenu_ = false;
    std::optional<std::string> expandedID_;
    std::optional<std::string> selectedID_;

    // Derived from the inputs on every apply.
    ListedPorts listed_;
    std::vector<std::string> renderedIDs_;
    bool listShownBefore_ = false;
    // The rows took the selection elsewhere: the list scrolls to it once it shows.
    bool scrollToSelection_ = false;
    // The user put the keys in the search field since the listener content came on screen:
    // the list, appearing, leaves them there.
    bool searchChosen_ = false;
    bool settlingPages_ = false;

    QWidget* page_;
    ModeSearchBar* bar_;
    // The search field the focus filter watches, kept apart from the bar: the filter still sees
    // the field's events while the bar is being taken apart, when no call on the bar is safe.
    QObject* searchField_;
    PortsRailView* rail_;
    QStackedWidget* body_;
    ListenerListView* list_;
    std::unique_ptr<PageHolder> stateHolder_;
    QWidget* agentsSlot_ = nullptr;
    ListFooterView* footer_;
    ListenerActionMenu* actionMenu_ = nullptr;
    std::optional<PortListener> actionMenuListener_;
    // In the same layer as the action menu; only one of the two is open at a time.
    SortMenu* sortMenu_ = nullptr;
};

}  // namespace quaylight
