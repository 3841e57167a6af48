#pragma once
// The one view the menu-bar panel hosts, and the router of its pages: it owns the header,
// the notice banners, the main area's stack and the stop confirmation over all of it, and
// decides (mainAreaChoice) which page shows: a first-run page, the settings popout, the
// loading or scan-error page, or the listener page with the Ports and Agents tabs. The
// pages own their own widgets and view state.
//
// It is given the application's state as one PopoverInputs value on every change and asks
// for every change through PopoverCommands; it and its pages own only view state (the
// settings popout here; the selection, the open menus and focus in PortsPage). Applying
// equal inputs again changes nothing and paints nothing.

#include <QWidget>
#include <memory>
#include <optional>
#include <string>

#include "Quaylight/popover/PopoverPages.h"
#include "Quaylight/popover/agents/AgentListView.h"
#include "Quaylight/popover/model/MainAreaChoice.h"
#include "Quaylight/popover/model/PopoverInputs.h"
#include "Quaylight/popover/model/PopoverTexts.h"
#include "Quaylight/popover/pages/PortsPage.h"

class QLabel;
class QStackedWidget;

namespace quaylight {

class AccessibilityHiddenColumn;
class AgentsPage;
class ConfirmationOverlay;
class FirstRunPages;
class NoticeBanner;
class PageHolder;
class PopoverBinding;
class PopoverHeader;
class RevealEffect;
class SettingsPage;
class Surface;

class PopoverRootView : public QWidget {
    Q_OBJECT
public:
    static constexpr int width = 700;
    static constexpr int height = 480;

    // `pages` brings the settings popout and the first-run pages; a page it leaves unset
    // stays empty.
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

    // View state, readable for tests and the binding.
    const std::optional<std::string>& selectedListenerID() const { return ports_->selectedID(); }
    const std::optional<std::string>& expandedActionsListenerID() const { return ports_->expandedID(); }
    bool showSettings() const { return showSettings_; }
    bool showSortMenu() const { return ports_->showSortMenu(); }
    bool modalIsPresented() const { return inputs_.pending.any(); }
    PopoverSurface presentation() const;
    std::optional<std::string> lastScannedText() const;

    ListenerListView* listView() const { return ports_->list(); }
    AgentListView* agentList() const;
    // The agent row whose detail band is open, by row key.
    const std::optional<std::string>& expandedAgentRowKey() const { return inputs_.expandedAgentRowKey; }
    ModeSearchBar* searchBar() const { return ports_->searchBar(); }
    ConfirmationOverlay* overlay() const { return overlay_; }
    // Everything under the card: header, banner, main area and footer.
    QWidget* column() const;
    // The open row's action menu, if any.
    ListenerActionMenu* actionMenu() const { return ports_->actionMenu(); }
    PortsRailView* rail() const { return ports_->rail(); }
    // The open sort menu, if any.
    SortMenu* sortMenu() const { return ports_->sortMenu(); }
    NoticeBanner* banner() const { return banner_; }
    NoticeBanner* settingsFileBanner() const { return settingsFileBanner_; }
    ListFooterView* footer() const { return ports_->footer(); }
    QLabel* countLabel() const;
    // The state view currently in the list's place or the error page, if any.
    QWidget* stateView() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildColumn(PopoverPages pages);
    void refresh();
    // While a card asks, the column under it is out of reach of the pointer, the keys and
    // assistive technologies alike.
    void shieldColumn(bool shielded);
    void refreshBanner(PopoverSurface surface);
    void refreshMainArea(const MainAreaChoice& choice);
    QWidget* pageWidget(MainPage page) const;
    void refreshReveal();
    void toggleAgentRow(const std::string& rowKey);
    void setShowSettings(bool shown);
    void confirmShown();
    void cancelShown();

    std::unique_ptr<PopoverBinding> binding_;
    PopoverCommands commands_;
    PopoverInputs inputs_;

    // View state: the rest belongs to the pages.
    bool showSettings_ = false;
    bool wasRevealed_ = false;
    double revealProgress_ = 1.0;

    Surface* surface_;
    RevealEffect* revealEffect_;
    AccessibilityHiddenColumn* column_;
    PopoverHeader* header_;
    NoticeBanner* banner_;
    NoticeBanner* settingsFileBanner_;
    QStackedWidget* main_;
    QWidget* loadingPage_;
    // A child of this view's: it goes after the widgets it watches and wires.
    PortsPage* ports_;
    std::unique_ptr<AgentsPage> agents_;
    std::unique_ptr<PageHolder> errorPage_;
    std::unique_ptr<FirstRunPages> firstRun_;
    std::unique_ptr<SettingsPage> settings_;
    QWidget* rootFooter_;
    ConfirmationOverlay* overlay_;
};

}  // namespace quaylight
