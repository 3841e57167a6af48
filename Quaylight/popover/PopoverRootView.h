#pragma once
// The one view the menu-bar panel hosts: header, notice banner, the main area (first-run
// surfaces, settings popout, or the listener content with its list, states and footer) and the
// stop confirmation over all of it.
//
// It is given the application's state as one PopoverInputs value on every change and asks
// for every change through PopoverCommands; it owns only view state (selection, the open
// row menu, the settings popout, focus). Applying equal inputs again changes nothing and
// paints nothing.

#include <QWidget>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Quaylight/popover/PopoverPages.h"
#include "Quaylight/popover/agents/AgentListView.h"
#include "Quaylight/popover/model/PopoverInputs.h"
#include "Quaylight/popover/model/PopoverTexts.h"

class QLabel;
class QStackedWidget;
class QVBoxLayout;
class QKeyEvent;

namespace quaylight {

class AccessibilityHiddenColumn;
class AgentListView;
class ConfirmationOverlay;
class ListenerActionMenu;
class PortsRailView;
class SortMenu;
class IconButton;
class ListFooterView;
class ListenerListView;
class ModeSearchBar;
class NoticeBanner;
class PopoverBinding;
class RevealEffect;
class Surface;

class PopoverRootView : public QWidget {
    Q_OBJECT
public:
    static constexpr int width = 700;
    static constexpr int height = 480;

    // Pages left unset in `pages` show plain stand-ins.
    explicit PopoverRootView(PopoverCommands commands, QWidget* parent = nullptr, PopoverPages pages = {});
    ~PopoverRootView() override;

    // The binding that drives this view belongs to it and ends first when the view goes, so
    // that nothing drives or reads a view being taken apart.
    void adoptBinding(std::unique_ptr<PopoverBinding> binding);
    PopoverBinding* binding() const { return binding_.get(); }

    void apply(const PopoverInputs& inputs);
    const PopoverInputs& inputs() const { return inputs_; }

    // How far the reveal has come (0 concealed, 1 revealed): the content's scale and offset
    // follow it frame by frame, apart from the inputs.
    void setRevealProgress(double progress);
    double revealProgress() const { return revealProgress_; }
    RevealEffect* revealEffect() const { return revealEffect_; }

    // View state, readable for tests and for the next issue's menus.
    const std::optional<std::string>& selectedListenerID() const { return selectedID_; }
    const std::optional<std::string>& expandedActionsListenerID() const { return expandedID_; }
    bool showSettings() const { return showSettings_; }
    bool showSortMenu() const { return showSortMenu_; }
    bool modalIsPresented() const { return inputs_.pending.any(); }
    PopoverSurface presentation() const;
    std::optional<std::string> lastScannedText() const;

    ListenerListView* listView() const { return list_; }
    AgentListView* agentList() const { return agentList_; }
    // The agent row whose detail band is open, by row key.
    const std::optional<std::string>& expandedAgentRowKey() const { return inputs_.expandedAgentRowKey; }
    ModeSearchBar* searchBar() const { return bar_; }
    ConfirmationOverlay* overlay() const { return overlay_; }
    // Everything under the card: header, banner, main area and footer.
    QWidget* column() const;
    // The open row's action menu, if any.
    ListenerActionMenu* actionMenu() const { return actionMenu_; }
    PortsRailView* rail() const { return rail_; }
    // The open sort menu, if any.
    SortMenu* sortMenu() const { return sortMenu_; }
    NoticeBanner* banner() const { return banner_; }
    NoticeBanner* settingsFileBanner() const { return settingsFileBanner_; }
    ListFooterView* footer() const { return footer_; }
    QLabel* countLabel() const { return count_; }
    // The state view currently in the list's place or the error page, if any.
    QWidget* stateView() const { return stateView_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildHeader(QVBoxLayout* column);
    void refresh();
    // While a card asks, the column under it is out of reach of the pointer, the keys and
    // assistive technologies alike.
    void shieldColumn(bool shielded);
    void refreshHeader(PopoverSurface surface);
    void refreshBanner(PopoverSurface surface);
    void refreshMainArea(PopoverSurface surface);
    void refreshListenerContent();
    void refreshRows();
    void refreshAgents();
    AgentListCallbacks agentCallbacks();
    void refreshReveal();
    void refreshActionMenu();
    void dismissActionMenu();
    void refreshRail();
    void refreshSortMenu();
    void toggleSortMenu();
    void dismissSortMenu();
    // A page of the main area, or the list's state slot, and what it shows now.
    struct Holder {
        QWidget* widget = nullptr;
        // Names the state view it shows (showState); empty when it shows none.
        QString stateKey;
        // It shows a page another part of the application brought (fillPage).
        bool filled = false;
    };
    void showState(Holder& holder, const QString& key, const std::function<QWidget*()>& make);
    void fillPage(Holder& holder, const std::function<QWidget*()>& make);
    void clearPage(Holder& holder);
    QWidget* makeSettingsPage();

    bool handleListKey(QKeyEvent* event);
    bool moveSelection(int delta);
    bool performOpenSelected();
    bool performFocusSelected();
    bool performKillSelected();
    void closeMenus();
    void selectRow(const std::string& id);
    void toggleActions(const std::string& id);
    void confirmShown();
    void cancelShown();
    void focusList();

    std::unique_ptr<PopoverBinding> binding_;
    PopoverCommands commands_;
    PopoverPages pages_;
    PopoverInputs inputs_;
    bool applied_ = false;

    // View state.
    bool showSettings_ = false;
    bool showSortMenu_ = false;
    std::optional<std::string> expandedID_;
    std::optional<std::string> selectedID_;

    // Derived from the inputs on every apply.
    std::optional<ScanResult> scoped_;
    std::optional<ListenerListModel> model_;
    std::vector<PortListener> rendered_;
    std::vector<std::string> renderedIDs_;
    bool listShownBefore_ = false;
    // The rows took the selection elsewhere: the list scrolls to it once it shows.
    bool scrollToSelection_ = false;
    // The user put the keys in the search field since the listener content came on screen:
    // the list, appearing, leaves them there.
    bool searchChosen_ = false;
    bool settlingPages_ = false;
    bool wasRevealed_ = false;

    double revealProgress_ = 1.0;
    Surface* surface_;
    RevealEffect* revealEffect_;
    AccessibilityHiddenColumn* column_;
    QLabel* count_;
    QLabel* settingsTitle_;
    IconButton* closeSettings_;
    IconButton* search_;
    IconButton* settings_;
    NoticeBanner* banner_;
    NoticeBanner* settingsFileBanner_;
    QStackedWidget* main_;
    QWidget* loadingPage_;
    QWidget* listenerPage_;
    Holder errorPage_;
    Holder offerPage_;
    Holder tourPage_;
    Holder settingsPage_;
    ModeSearchBar* bar_;
    PortsRailView* rail_;
    QStackedWidget* body_;
    ListenerListView* list_;
    Holder stateHolder_;
    QWidget* agentsSlot_;
    AgentListView* agentList_;
    ListFooterView* footer_;
    QWidget* rootFooter_;
    ConfirmationOverlay* overlay_;
    QWidget* stateView_ = nullptr;
    // Above the panel's content and below the card, never inside a clipping parent.
    ListenerActionMenu* actionMenu_ = nullptr;
    std::optional<PortListener> actionMenuListener_;
    // In the same layer as the action menu; only one of the two is open at a time.
    SortMenu* sortMenu_ = nullptr;
};

}  // namespace quaylight
