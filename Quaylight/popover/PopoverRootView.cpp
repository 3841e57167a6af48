#include "Quaylight/popover/PopoverRootView.h"

#include <QApplication>
#include <algorithm>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "Quaylight/design/brand/PlugMark.h"
#include "Quaylight/design/controls/AccessibilityHiddenColumn.h"
#include "Quaylight/design/controls/RetireWidget.h"
#include "Quaylight/design/controls/Surface.h"
#include "Quaylight/design/platform/ReduceMotion.h"
#include "Quaylight/design/theme/Foreground.h"
#include "Quaylight/design/theme/PremiumTheme.h"
#include "Quaylight/popover/PopoverBinding.h"
#include "Quaylight/popover/cards/ConfirmationOverlay.h"
#include "Quaylight/popover/frame/DisplayText.h"
#include "Quaylight/popover/frame/ListFooterView.h"
#include "Quaylight/popover/frame/ListStateView.h"
#include "Quaylight/popover/frame/LoadingIndicator.h"
#include "Quaylight/popover/frame/ModeSearchBar.h"
#include "Quaylight/popover/frame/NoticeBanner.h"
#include "Quaylight/popover/frame/PopoverWidgets.h"
#include "Quaylight/popover/frame/PortsRailView.h"
#include "Quaylight/popover/frame/RevealEffect.h"
#include "Quaylight/popover/list/ListenerListView.h"
#include "Quaylight/popover/menus/ListenerActionMenu.h"
#include "Quaylight/popover/menus/SortMenu.h"
#include "Quaylight/popover/model/AgentBodyDecisions.h"
#include "Quaylight/popover/model/ConfirmationCards.h"
#include "Quaylight/popover/model/ListenerKeyboard.h"
#include "Quaylight/popover/model/ListenerRowTexts.h"
#include "Quaylight/popover/model/PortsRailTexts.h"

namespace quaylight {

namespace {

QString q(const std::string& text) { return QString::fromStdString(text); }

QWidget* page(QWidget* parent) {
    auto* widget = new QWidget(parent);
    auto* layout = new QVBoxLayout(widget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    return widget;
}

// A first-run or settings stand-in: one line and, where it completes something, one button.
QWidget* standIn(const QString& name, const QString& title, const std::optional<QString>& detail,
                 const std::optional<QString>& button, std::function<void()> action, QWidget* parent) {
    ListStateContent stateContent;
    stateContent.name = name;
    stateContent.icon = ListStateContent::Icon::plugMark;
    stateContent.iconColor = PremiumTheme::textTertiary();
    stateContent.title = title;
    stateContent.detail = detail;
    if (button) stateContent.buttons.push_back({*button, PremiumButtonKind::primary, std::move(action)});
    stateContent.buttonsTopPadding = 2;
    auto* view = new ListStateView(std::move(stateContent), parent);
    return view;
}

// The one path by which a page or a state view leaves its holder. The view going may be
// the one whose button is finishing it right now, so it is retired, never deleted at once.
void emptyHolder(QWidget* holder) {
    for (auto* child : holder->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) retireWidget(child);
}

}  // namespace

PopoverRootView::PopoverRootView(PopoverCommands commands, QWidget* parent, PopoverPages pages)
    : QWidget(parent), commands_(std::move(commands)), pages_(std::move(pages)) {
    setObjectName(QStringLiteral("popoverRoot"));
    setFixedSize(width, height);
    setPalette(PremiumTheme::darkPalette());

    surface_ = new Surface(nullptr, this);
    surface_->setGeometry(rect());
    revealEffect_ = new RevealEffect(surface_);
    surface_->setGraphicsEffect(revealEffect_);
    column_ = new AccessibilityHiddenColumn(surface_);
    surface_->contentLayout()->addWidget(column_);
    auto* column = new QVBoxLayout(column_);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    buildHeader(column);
    column->addWidget(makeHairline(column_));

    banner_ = new NoticeBanner(column_);
    banner_->hide();
    banner_->onDismiss = [this] {
        auto notice = chooseNotice(presentation(), showSettings_, inputs_.panelMode, inputs_.actionNotice,
                                   inputs_.killNotice);
        if (!notice) return;
        if (notice->source == NoticeChoice::Source::agentConnections) {
            if (commands_.dismissActionNotice) commands_.dismissActionNotice();
        } else if (commands_.dismissKillNotice) {
            commands_.dismissKillNotice();
        }
    };
    column->addWidget(banner_);
    settingsFileBanner_ = new NoticeBanner(column_, NoticeBanner::Dismissal::none);
    settingsFileBanner_->setObjectName(QStringLiteral("settingsFileNotice"));
    settingsFileBanner_->hide();
    column->addWidget(settingsFileBanner_);

    main_ = new QStackedWidget(column_);
    column->addWidget(main_, 1);

    loadingPage_ = page(main_);
    {
        auto* loading = static_cast<QVBoxLayout*>(loadingPage_->layout());
        loading->addStretch(1);
        loading->addWidget(new LoadingIndicator(loadingPage_), 0, Qt::AlignHCenter);
        loading->addStretch(1);
    }

    listenerPage_ = page(main_);
    bar_ = new ModeSearchBar(listenerPage_);
    listenerPage_->layout()->addWidget(bar_);
    rail_ = new PortsRailView(bar_->railSlot());
    bar_->railSlot()->layout()->addWidget(rail_);
    body_ = new QStackedWidget(listenerPage_);
    listenerPage_->layout()->addWidget(body_);
    static_cast<QVBoxLayout*>(listenerPage_->layout())->setStretch(1, 1);
    list_ = new ListenerListView(body_);
    stateHolder_.widget = page(body_);
    agentsSlot_ = page(body_);
    agentsSlot_->setObjectName(QStringLiteral("agentsSlot"));
    agentList_ = new AgentListView(agentCallbacks(), commands_.now, nullptr, agentsSlot_);
    agentsSlot_->layout()->addWidget(agentList_);
    body_->addWidget(list_);
    body_->addWidget(stateHolder_.widget);
    body_->addWidget(agentsSlot_);
    footer_ = new ListFooterView(listenerPage_);
    listenerPage_->layout()->addWidget(footer_);

    errorPage_.widget = page(main_);
    // Filled when their surface comes on screen (refreshMainArea).
    offerPage_.widget = page(main_);
    tourPage_.widget = page(main_);
    settingsPage_.widget = page(main_);
    settingsPage_.widget->setObjectName(QStringLiteral("settingsPopout"));
    for (auto* p : {loadingPage_, listenerPage_, errorPage_.widget, offerPage_.widget, tourPage_.widget,
                    settingsPage_.widget})
        main_->addWidget(p);

    rootFooter_ = new QWidget(column_);
    {
        auto* strip = new QVBoxLayout(rootFooter_);
        strip->setContentsMargins(0, 0, 0, 0);
        strip->setSpacing(0);
        strip->addWidget(makeHairline(rootFooter_));
        auto* row = new QHBoxLayout;
        row->setContentsMargins(16, 0, 16, 0);
        row->addStretch(1);
        row->addWidget(makeQuitButton(
            [this] {
                if (commands_.quit) commands_.quit();
            },
            rootFooter_));
        auto* holder = new QWidget(rootFooter_);
        holder->setFixedHeight(42);
        holder->setLayout(row);
        strip->addWidget(holder);
    }
    column->addWidget(rootFooter_);

    overlay_ = new ConfirmationOverlay(this);
    overlay_->onCancel = [this] { cancelShown(); };
    overlay_->onConfirm = [this] { confirmShown(); };

    // Wiring of the listener content.
    bar_->onSelectMode = [this](PanelMode mode) {
        closeMenus();
        if (commands_.selectPanelMode) commands_.selectPanelMode(mode);
    };
    bar_->onSearchEdited = [this](const QString& text) {
        searchChosen_ = true;  // typing into it is choosing it
        if (commands_.setSearchText) commands_.setSearchText(text.toStdString());
    };
    bar_->onSearchSubmitted = [this] { closeMenus(); };
    bar_->onSearchFieldClicked = [this] {
        searchChosen_ = true;
        closeMenus();
    };
    bar_->onClearSearch = [this] {
        showSortMenu_ = false;
        refreshSortMenu();
        if (commands_.setSearchText) commands_.setSearchText({});
    };
    bar_->onDownFromSearch = [this] { focusList(); };
    rail_->onChooseFilter = [this](FilterCategory category) {
        closeMenus();
        if (commands_.setFilter) commands_.setFilter(category);
        if (commands_.persistLastUsedFilter) commands_.persistLastUsedFilter();
    };
    rail_->onRemoveScope = [this] {
        closeMenus();
        if (commands_.clearExactScope) commands_.clearExactScope();
    };
    rail_->onToggleSort = [this] { toggleSortMenu(); };
    list_->onKey = [this](QKeyEvent* event) { return handleListKey(event); };
    list_->onRowSelect = [this](const std::string& id) {
        // A plain click selects and, like any click on the list, closes an open menu.
        selectedID_ = id;
        showSortMenu_ = false;
        expandedID_.reset();
        refreshRows();
        focusList();
    };
    list_->onRowToggle = [this](const std::string& id) {
        showSortMenu_ = false;
        toggleActions(id);
    };
    list_->onRowActions = [this](const std::string& id) {
        selectedID_ = id;
        showSortMenu_ = false;
        focusList();
        toggleActions(id);
    };
    list_->onBackgroundClick = [this] { closeMenus(); };
    footer_->onQuit = [this] {
        if (commands_.quit) commands_.quit();
    };
    footer_->onStopVisible = [this] {
        if (auto request = StopVisibleRequest::request(rendered_, inputs_.context)) {
            PendingStops pending = inputs_.pending;
            pending.stopVisible = *request;
            if (commands_.setPending) commands_.setPending(pending);
        }
    };
    setTabOrder(bar_->searchField(), list_);
    bar_->searchField()->installEventFilter(this);
    refresh();
}

bool PopoverRootView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == bar_->searchField() && event->type() == QEvent::FocusIn && !settlingPages_) {
        // Clicked, tabbed or shortcut into: the user's choice, which the list then leaves alone.
        // Focus that comes with the window's activation is only Qt's first pick.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::MouseFocusReason || reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
            reason == Qt::ShortcutFocusReason)
            searchChosen_ = true;
    }
    return QWidget::eventFilter(watched, event);
}

void PopoverRootView::buildHeader(QVBoxLayout* column) {
    auto* header = new QWidget(column_);
    header->setObjectName(QStringLiteral("header"));
    header->setFixedHeight(48);
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(16, 0, 16, 0);
    row->setSpacing(10);
    auto* mark = new PlugMark(false, PlugCut{2.5, 2.1, 8.7}, header);
    mark->setFixedSize(20, 20);
    setForeground(mark, PremiumTheme::textPrimary());
    row->addWidget(mark);
    QFont titleFont = PremiumTheme::display(13.5, PremiumFontWeight::semibold);
    titleFont.setLetterSpacing(QFont::AbsoluteSpacing, -0.14);
    row->addWidget(makePlainLabel(QStringLiteral("Quaylight"), titleFont, PremiumTheme::textPrimary(), header));
    settingsTitle_ = makePlainLabel(QStringLiteral("Settings"), PremiumTheme::mono(11, QFont::Normal),
                                    PremiumTheme::textTertiary(), header);
    row->addWidget(settingsTitle_);
    count_ = makePlainLabel({}, PremiumTheme::mono(11, QFont::Normal), white(0.45), header);
    count_->setObjectName(QStringLiteral("listenerCount"));
    row->addWidget(count_);
    row->addStretch(1);
    closeSettings_ = new IconButton(LucideIconName::x, 14, PremiumTheme::textTertiary(), QSize(26, 28),
                                    QStringLiteral("Close Settings"), header);
    search_ = new IconButton(LucideIconName::search, 13, white(0.4), QSize(24, 28), QStringLiteral("Search listeners"),
                             header);
    settings_ =
        new IconButton(LucideIconName::settings2, 13, white(0.4), QSize(24, 28), QStringLiteral("Settings"), header);
    settings_->setToolTip(QStringLiteral("Settings"));
    row->addWidget(closeSettings_);
    row->addWidget(search_);
    row->addWidget(settings_);
    connect(closeSettings_, &QAbstractButton::clicked, this, [this] {
        showSettings_ = false;
        refresh();
    });
    connect(search_, &QAbstractButton::clicked, this, [this] {
        closeMenus();
        searchChosen_ = true;
        bar_->searchField()->setFocus(Qt::OtherFocusReason);
    });
    connect(settings_, &QAbstractButton::clicked, this, [this] {
        closeMenus();
        showSettings_ = true;
        refresh();
    });
    column->addWidget(header);
}

PopoverSurface PopoverRootView::presentation() const {
    return popoverSurface(inputs_.launchAtLoginOfferCompleted, inputs_.onboardingComplete);
}

std::optional<std::string> PopoverRootView::lastScannedText() const {
    return quaylight::lastScannedText(presentation(), inputs_.state);
}

PopoverRootView::~PopoverRootView() {
    // Before any part of the view goes: the binding's commands and pending updates reach
    // the view.
    binding_.reset();
}

void PopoverRootView::adoptBinding(std::unique_ptr<PopoverBinding> binding) { binding_ = std::move(binding); }

void PopoverRootView::apply(const PopoverInputs& inputs) {
    inputs_ = inputs;
    applied_ = true;
    refresh();
}

void PopoverRootView::refresh() {
    const PopoverSurface surface = presentation();
    if (inputs_.pending.any()) {
        // A card raised over the panel closes whatever menu was open under it.
        showSortMenu_ = false;
        expandedID_.reset();
    }
    scoped_.reset();
    model_.reset();
    if (const auto* result = std::get_if<ScanResult>(&inputs_.state)) {
        scoped_ = scopedResult(*result, inputs_.exactAgentScope);
        model_ = listModelFor(*scoped_, inputs_);
    }
    rendered_ = model_ ? renderedListeners(*model_, inputs_.showSystem) : std::vector<PortListener>{};
    std::vector<std::string> ids;
    ids.reserve(rendered_.size());
    for (const auto& l : rendered_) ids.push_back(l.id());
    // The selection follows the rows of a loaded scan: kept while listed, else the first row.
    // While a scan loads (each time the panel opens) there are no rows to follow: it stays.
    if (model_ && ids != renderedIDs_) {
        const auto reconciled = reconciledSelection(ids, selectedID_);
        if (selectedID_ && reconciled && reconciled != selectedID_) scrollToSelection_ = true;
        selectedID_ = reconciled;
        renderedIDs_ = std::move(ids);
    }
    if (inputs_.isRevealed && !wasRevealed_) {
        // The panel opens again: its list comes on screen anew, even when a scan was at hand
        // at once and no loading page came between.
        listShownBefore_ = false;
        searchChosen_ = false;
    }
    wasRevealed_ = inputs_.isRevealed;
    refreshHeader(surface);
    refreshBanner(surface);
    refreshMainArea(surface);
    refreshReveal();
    const auto shown = shownStop(inputs_.pending);
    // Nothing under a card reacts meanwhile, for a screen reader either: the column leaves
    // the accessible tree, and whatever the reader still holds of it is disabled. Shielded
    // after the card took the focus and unshielded before it hands the focus back, so the
    // focus it hands back lands on an enabled widget.
    if (!shown) shieldColumn(false);
    overlay_->present(shown ? std::optional(confirmationTexts(*shown)) : std::nullopt);
    if (shown) shieldColumn(true);
    refreshSortMenu();
}

QWidget* PopoverRootView::column() const { return column_; }

void PopoverRootView::shieldColumn(bool shielded) {
    if (column_->isHiddenFromAccessibility() == shielded) return;
    // The surface holds nothing but the column: disabled with it, no node under the card
    // stays enabled.
    surface_->setEnabled(!shielded);
    column_->setHiddenFromAccessibility(shielded);
}

void PopoverRootView::refreshHeader(PopoverSurface surface) {
    const auto countText = listenerCountText(surface, inputs_.panelMode, inputs_.currentAgentSessions,
                                             scoped_ ? &*scoped_ : nullptr, model_ ? &*model_ : nullptr,
                                             inputs_.filter, inputs_.searchText);
    settingsTitle_->setVisible(showSettings_);
    count_->setVisible(!showSettings_ && countText.has_value());
    if (countText && count_->text() != q(*countText)) {
        count_->setText(q(*countText));
        count_->setAccessibleName(q(*countText));
    }
    closeSettings_->setVisible(showSettings_);
    search_->setVisible(!showSettings_ && surface == PopoverSurface::listenerList);
    const QString searchName =
        inputs_.panelMode == PanelMode::agents ? QStringLiteral("Search agents") : QStringLiteral("Search listeners");
    search_->setAccessibleName(searchName);
    search_->setToolTip(searchName);
    settings_->setVisible(!showSettings_);
}

void PopoverRootView::refreshBanner(PopoverSurface surface) {
    const auto notice =
        chooseNotice(surface, showSettings_, inputs_.panelMode, inputs_.actionNotice, inputs_.killNotice);
    if (notice) banner_->setText(displayText(notice->text));
    banner_->setVisible(notice.has_value());
    if (inputs_.settingsFileNotice) settingsFileBanner_->setText(displayText(*inputs_.settingsFileNotice));
    settingsFileBanner_->setVisible(inputs_.settingsFileNotice.has_value());
}

void PopoverRootView::showState(Holder& holder, const QString& key, const std::function<QWidget*()>& make) {
    if (holder.stateKey == key && !holder.widget->findChildren<QWidget*>().isEmpty()) {
        stateView_ = holder.widget->findChild<ListStateView*>();
        return;
    }
    emptyHolder(holder.widget);
    QWidget* view = make();
    view->setParent(holder.widget);
    holder.widget->layout()->addWidget(view);
    holder.stateKey = key;
    stateView_ = view;
}

void PopoverRootView::fillPage(Holder& holder, const std::function<QWidget*()>& make) {
    if (holder.filled) return;
    QWidget* view = make();
    view->setParent(holder.widget);
    holder.widget->layout()->addWidget(view);
    view->show();
    holder.filled = true;
}

void PopoverRootView::clearPage(Holder& holder) {
    holder.filled = false;
    holder.stateKey.clear();
    emptyHolder(holder.widget);
}

QWidget* PopoverRootView::makeSettingsPage() {
    PopoverPages::SettingsActions actions;
    actions.displaySettingsChanged = [this] {
        if (commands_.onDisplaySettingsChange) commands_.onDisplaySettingsChange();
    };
    actions.replayWalkthrough = [this] {
        if (commands_.replayWalkthrough) commands_.replayWalkthrough();
    };
    actions.quit = [this] {
        if (commands_.quit) commands_.quit();
    };
    actions.close = [this] {
        showSettings_ = false;
        refresh();
    };
    actions.setShowSystem = [this](bool on) {
        if (commands_.setShowSystem) commands_.setShowSystem(on);
    };
    const auto scanned = lastScannedText();
    return pages_.settings(inputs_.showSystem, scanned ? std::optional(q(*scanned)) : std::nullopt, std::move(actions));
}

void PopoverRootView::refreshMainArea(PopoverSurface surface) {
    // While pages change places Qt hands the keyboard of a page that leaves to the next
    // focusable widget, often the search field: that is no choice of the user's.
    settlingPages_ = true;
    const struct Settled {
        bool& flag;
        ~Settled() { flag = false; }
    } settled{settlingPages_};
    if (main_->currentWidget() != listenerPage_) {
        // The listener content comes on screen anew, with nobody's choice of the keys yet.
        listShownBefore_ = false;
        searchChosen_ = false;
    }
    rootFooter_->setVisible(!showSettings_ && surface != PopoverSurface::listenerList);
    const bool offer = !showSettings_ && (surface == PopoverSurface::welcome || surface == PopoverSurface::launchAtLoginOffer);
    const bool tour = !showSettings_ && surface == PopoverSurface::walkthrough;
    // A page that left the screen is dropped: the next time it comes, it starts afresh from
    // the stored settings and flags.
    if (!showSettings_ && settingsPage_.filled) clearPage(settingsPage_);
    if (!offer && offerPage_.filled) clearPage(offerPage_);
    if (!tour && tourPage_.filled) clearPage(tourPage_);
    if (showSettings_ && pages_.settings) {
        main_->setCurrentWidget(settingsPage_.widget);
        fillPage(settingsPage_, [this] { return makeSettingsPage(); });
        if (pages_.showLastScanned) {
            const auto scanned = lastScannedText();
            for (auto* view : settingsPage_.widget->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
                if (view->isVisibleTo(settingsPage_.widget))
                    pages_.showLastScanned(view, scanned ? std::optional(q(*scanned)) : std::nullopt);
        }
        return;
    }
    if (offer) {
        main_->setCurrentWidget(offerPage_.widget);
        const auto complete = [this](bool enabled) {
            if (commands_.completeLaunchAtLoginOffer) commands_.completeLaunchAtLoginOffer(enabled);
        };
        fillPage(offerPage_, [&]() -> QWidget* {
            if (pages_.launchAtLoginOffer) return pages_.launchAtLoginOffer(complete);
            return standIn(QStringLiteral("launchAtLoginOffer"), QStringLiteral("Welcome to Quaylight"), std::nullopt,
                           QStringLiteral("Continue"), [complete] { complete(false); }, nullptr);
        });
        return;
    }
    if (tour) {
        main_->setCurrentWidget(tourPage_.widget);
        const auto done = [this] {
            if (commands_.completeWalkthrough) commands_.completeWalkthrough();
        };
        fillPage(tourPage_, [&]() -> QWidget* {
            if (pages_.walkthrough) return pages_.walkthrough(done);
            return standIn(QStringLiteral("walkthrough"), QStringLiteral("Quaylight shows who listens on your ports"),
                           std::nullopt, QStringLiteral("Get Started"), done, nullptr);
        });
        return;
    }
    if (showSettings_) {
        main_->setCurrentWidget(settingsPage_.widget);
        const auto scanned = lastScannedText();
        showState(settingsPage_, QStringLiteral("settings|") + q(scanned.value_or("")), [&] {
            return standIn(QStringLiteral("settingsStandIn"), QStringLiteral("Settings"),
                           scanned ? std::optional(q(*scanned)) : std::nullopt, std::nullopt, {}, nullptr);
        });
        return;
    }
    if (std::holds_alternative<PortsLoading>(inputs_.state)) {
        main_->setCurrentWidget(loadingPage_);
        return;
    }
    if (const auto* failed = std::get_if<PortsFailed>(&inputs_.state); failed && inputs_.panelMode == PanelMode::ports) {
        main_->setCurrentWidget(errorPage_.widget);
        const QString message = displayText(failed->message);
        showState(errorPage_, QStringLiteral("error|") + message, [&] {
            ListStateContent stateContent;
            stateContent.name = QStringLiteral("errorState");
            stateContent.lucide = LucideIconName::shield;
            stateContent.iconColor = PremiumTheme::warning();
            stateContent.detail = message;
            stateContent.detailSize = 13;
            stateContent.buttons.push_back({QStringLiteral("Try Again"), PremiumButtonKind::primary, [this] {
                                        if (commands_.requestScan) commands_.requestScan();
                                    }});
            return new ListStateView(std::move(stateContent));
        });
        return;
    }
    main_->setCurrentWidget(listenerPage_);
    refreshListenerContent();
}

void PopoverRootView::refreshListenerContent() {
    const bool ports = inputs_.panelMode == PanelMode::ports;
    bar_->set(inputs_.panelMode, q(inputs_.searchText), ports && model_);
    refreshRail();
    footer_->setVisible(ports && model_.has_value());
    const bool scope = inputs_.exactAgentScope.has_value();
    if (model_) {
        // Kept current in both modes, so the footer never stands with an empty line.
        footer_->set(q(listFooterText(scope, inputs_.filter, scoped_->agentPresence, model_->hiddenCount(),
                                      inputs_.showSystem)),
                     StopVisibleRequest::request(rendered_, inputs_.context).has_value());
    }
    if (!ports) {
        listShownBefore_ = false;
        body_->setCurrentWidget(agentsSlot_);
        refreshAgents();
        return;
    }
    if (!model_) {
        body_->setCurrentWidget(agentsSlot_);
        return;
    }
    const auto& agents = scoped_->agentPresence;
    ListBody body = listBodyFor(*model_, scope, inputs_.filter, inputs_.searchText);
    if (!portsColumnShowsList(*model_, agents, scope)) body = ListBody::emptyState;

    if (body == ListBody::rows) {
        body_->setCurrentWidget(list_);
        stateView_ = nullptr;
        refreshRows();
        if (!listShownBefore_ && !rendered_.empty()) {
            if (!searchChosen_) focusList();
            // Back on screen: the scroll position is kept, and so is the selection; it must be
            // where the user can see it.
            if (selectedID_) list_->keepRowInView(*selectedID_);
        }
        if (scrollToSelection_ && selectedID_) list_->scrollToRow(*selectedID_, true);
        scrollToSelection_ = false;
        listShownBefore_ = true;
        return;
    }
    listShownBefore_ = false;
    body_->setCurrentWidget(stateHolder_.widget);
    list_->setRows({}, std::nullopt, std::nullopt);
    ListStateContent stateContent;
    stateContent.iconColor = PremiumTheme::textTertiary();
    switch (body) {
        case ListBody::emptyState:
            stateContent.name = QStringLiteral("emptyState");
            stateContent.spacing = 10;
            stateContent.icon = ListStateContent::Icon::plugMark;
            stateContent.title = QStringLiteral("No local listeners");
            stateContent.detail = q(emptyStateDetail(agents.totalCount()));
            break;
        case ListBody::exactScopeEmpty:
            stateContent.name = QStringLiteral("exactScopeEmptyState");
            stateContent.lucide = LucideIconName::hash;
            stateContent.title = QStringLiteral("No ports related to this agent right now");
            stateContent.detail = QStringLiteral("Related listeners appear here while the agent's servers are running.");
            stateContent.buttonsTopPadding = 2;
            stateContent.buttons.push_back({QStringLiteral("Remove scope"), PremiumButtonKind::primary, [this] {
                                        if (commands_.clearExactScope) commands_.clearExactScope();
                                    }});
            break;
        case ListBody::noMatches:
            stateContent.name = QStringLiteral("noMatchesState");
            stateContent.spacing = 6;
            stateContent.lucide = LucideIconName::search;
            stateContent.title = QStringLiteral("No matching listeners");
            stateContent.buttons.push_back({QStringLiteral("Clear filters"), PremiumButtonKind::primary, [this] {
                                        if (commands_.setFilter) commands_.setFilter(FilterCategory::all);
                                        if (commands_.setSearchText) commands_.setSearchText({});
                                    }});
            break;
        case ListBody::agentSessions: {
            const auto count = agentSessionCount(inputs_.filter, agents);
            stateContent.name = QStringLiteral("agentSessionState");
            stateContent.lucide = LucideIconName::terminal;
            stateContent.iconColor = count >= 1 ? PremiumTheme::info() : PremiumTheme::textTertiary();
            stateContent.title = q(agentSessionTitle(count, inputs_.filter));
            stateContent.detail = q(agentSessionDetail(count, inputs_.filter));
            stateContent.buttonsTopPadding = 2;
            stateContent.buttons.push_back({QStringLiteral("View Agents"), PremiumButtonKind::primary, [this] {
                                        if (commands_.selectPanelMode) commands_.selectPanelMode(PanelMode::agents);
                                    }});
            stateContent.buttons.push_back({QStringLiteral("Show all ports"), PremiumButtonKind::secondary, [this] {
                                        if (commands_.setFilter) commands_.setFilter(FilterCategory::all);
                                        if (commands_.setSearchText) commands_.setSearchText({});
                                    }});
            break;
        }
        case ListBody::rows: break;
    }
    QString key = stateContent.name + QLatin1Char('|') + stateContent.title.value_or(QString()) + QLatin1Char('|') +
                  stateContent.detail.value_or(QString());
    showState(stateHolder_, key, [&] { return new ListStateView(std::move(stateContent)); });
}

AgentListCallbacks PopoverRootView::agentCallbacks() {
    AgentListCallbacks c;
    c.onFilterChange = [this](AgentProviderFilter filter) {
        closeMenus();
        if (commands_.setAgentFilter) commands_.setAgentFilter(filter);
    };
    c.onToggleExpanded = [this](const AgentSessionSnapshot& session) {
        closeMenus();
        // Shown at once; the owner's copy comes back with the next inputs.
        inputs_.expandedAgentRowKey = toggledExpansion(inputs_.expandedAgentRowKey, session.rowKey());
        refreshAgents();
        if (commands_.setExpandedAgentRow) commands_.setExpandedAgentRow(inputs_.expandedAgentRowKey);
    };
    c.onFocusApp = [this](const AgentSessionSnapshot& session) {
        closeMenus();
        if (commands_.focusAgentHost) commands_.focusAgentHost(session);
        if (commands_.autoCloseAfterOpening && commands_.autoCloseAfterOpening() && commands_.dismissPanel)
            commands_.dismissPanel();
    };
    c.onStopAgent = [this](const AgentSessionSnapshot& session) {
        closeMenus();
        if (commands_.requestStopAgent) commands_.requestStopAgent(session);
    };
    c.onViewRelatedPorts = [this](const AgentSessionSnapshot& session) {
        closeMenus();
        if (auto scope = relatedPortsScope(session); scope && commands_.viewRelatedPorts)
            commands_.viewRelatedPorts(*scope);
    };
    c.onViewProviderPorts = [this](const AgentSessionSnapshot& session) {
        closeMenus();
        if (commands_.viewProviderPorts) commands_.viewProviderPorts(session);
    };
    c.onConnectProvider = [this](AgentKind provider) {
        closeMenus();
        if (commands_.connectProvider) commands_.connectProvider(provider);
    };
    c.onRetryReceiver = [this] {
        if (commands_.retryReceiver) commands_.retryReceiver();
    };
    c.quit = [this] {
        if (commands_.quit) commands_.quit();
    };
    return c;
}

void PopoverRootView::refreshAgents() {
    AgentListInputs agents;
    agents.model = AgentInventoryListModel::build(inputs_.agents, inputs_.agentFilter, inputs_.searchText);
    agents.freshness = inputs_.agents.freshness;
    agents.filter = inputs_.agentFilter;
    agents.expandedRowKey = inputs_.expandedAgentRowKey;
    // Read at build time from the same clock as the list's elapsed-label timer, so a refresh
    // for another reason never shows an age older than the timer already showed.
    agents.now = commands_.now ? commands_.now() : inputs_.now;
    agents.focusLabelByID = inputs_.agentFocusLabelByID;
    agents.stopAvailabilityByID = inputs_.agents.stopAvailabilityByID();
    agents.connections = inputs_.agentConnections;
    agents.receiverFailure = inputs_.receiverFailure;
    agentList_->apply(agents);
}

void PopoverRootView::refreshRows() {
    std::vector<ListenerRowTexts> rows;
    rows.reserve(rendered_.size());
    for (const auto& listener : rendered_) {
        const std::string id = listener.id();
        auto activity = inputs_.activityByID.find(id);
        auto cpu = inputs_.cpuPercentByID.find(id);
        rows.push_back(listenerRowTexts(
            listener, activity == inputs_.activityByID.end() ? ActivityLevel::unknown : activity->second,
            cpu == inputs_.cpuPercentByID.end() ? std::nullopt : std::optional(cpu->second), inputs_.displayFields,
            inputs_.rowDensity, inputs_.now));
    }
    list_->setRows(std::move(rows), selectedID_, expandedID_);
    refreshActionMenu();
    refreshSortMenu();
}

void PopoverRootView::refreshActionMenu() {
    const PortListener* listener = nullptr;
    if (expandedID_ && !inputs_.pending.any() && list_->isVisible() && list_->row(*expandedID_)) {
        for (const auto& l : rendered_)
            if (l.id() == *expandedID_) listener = &l;
    }
    if (!listener) {
        if (actionMenu_) {
            retireWidget(actionMenu_);
            actionMenu_ = nullptr;
            actionMenuListener_.reset();
        }
        return;
    }
    if (!actionMenu_ || actionMenuListener_ != *listener) {
        retireWidget(actionMenu_);
        const PortListener target = *listener;
        const auto kill = KillRequest::request(target, inputs_.context);
        const auto force = ForceKillRequest::request(target, inputs_.context);
        const auto pool = StopPoolRequest::request(target, inputs_.context);
        ListenerActionMenuModel::Capabilities can;
        can.canKill = kill.has_value();
        can.canForceKill = force.has_value();
        can.canStopPool = pool.has_value();
        can.canFocus = inputs_.focusLabelByID.count(target.id()) > 0;
        ListenerActionMenu::Callbacks cb;
        const auto autoClose = [this] {
            if (commands_.autoCloseAfterOpening && commands_.autoCloseAfterOpening() && commands_.dismissPanel)
                commands_.dismissPanel();
        };
        cb.onOpen = [this, target, autoClose] {
            const auto url = target.openableURL();
            // A browser that failed to open leaves the panel open.
            if (url && commands_.openURL && commands_.openURL(*url)) autoClose();
        };
        const auto setPending = [this](auto apply) {
            PendingStops pending = inputs_.pending;
            apply(pending);
            if (commands_.setPending) commands_.setPending(pending);
        };
        cb.onKill = [setPending, kill] {
            if (kill) setPending([&](PendingStops& p) { p.kill = *kill; });
        };
        cb.onForceKill = [setPending, force] {
            if (force) setPending([&](PendingStops& p) { p.forceKill = *force; });
        };
        cb.onStopPool = [setPending, pool] {
            if (pool) setPending([&](PendingStops& p) { p.stopPool = *pool; });
        };
        cb.onFocus = [this, target, autoClose] {
            if (commands_.focusHost) commands_.focusHost(target);
            autoClose();
        };
        cb.onDismiss = [this] { dismissActionMenu(); };
        cb.now = [this] { return inputs_.now; };
        actionMenu_ = new ListenerActionMenu(target, can, std::move(cb), this);
        actionMenuListener_ = target;
        actionMenu_->stackUnder(overlay_);
        actionMenu_->show();
    }
    // Placed against the row inside the list, then kept whole inside the panel.
    auto* row = list_->row(*expandedID_);
    const QRectF rowRect(row->mapTo(list_, QPoint(0, 0)), QSizeF(row->size()));
    const qreal menuHeight = actionMenu_->heightEstimate();
    const QPointF centre = ListenerActionMenuModel::position(rowRect, menuHeight, QSizeF(list_->size()));
    QPointF topLeft = QPointF(list_->mapTo(this, QPoint(0, 0))) + centre -
                      QPointF(ListenerActionMenuModel::width / 2, menuHeight / 2);
    topLeft.setX(std::clamp(topLeft.x(), 0.0, std::max(0.0, static_cast<qreal>(rect().width()) - ListenerActionMenuModel::width)));
    topLeft.setY(std::clamp(topLeft.y(), 0.0, std::max(0.0, static_cast<qreal>(rect().height()) - menuHeight)));
    actionMenu_->setGeometry(QRect(topLeft.toPoint(), QSize(static_cast<int>(ListenerActionMenuModel::width),
                                                            static_cast<int>(menuHeight))));
}

void PopoverRootView::dismissActionMenu() {
    // The menu may be running one of its entries: it is deleted on the next turn.
    expandedID_.reset();
    refreshRows();
    focusList();
}

void PopoverRootView::refreshRail() {
    PortsRailView::State state;
    if (model_) state.chips = PortsChipRail::categories(model_->chips, inputs_.filter);
    state.active = inputs_.filter;
    if (inputs_.exactAgentScope) state.scopeProvider = inputs_.exactAgentScopeProvider;
    state.sortMode = inputs_.sortMode;
    state.sortMenuOpen = showSortMenu_;
    rail_->set(state);
}

void PopoverRootView::refreshSortMenu() {
    refreshRail();
    const bool shows = showSortMenu_ && !inputs_.pending.any() && rail_->isVisibleTo(this);
    if (!shows) {
        if (sortMenu_) {
            // The menu may be running its Return or a click right now: deleted on the next turn.
            retireWidget(sortMenu_);
            sortMenu_ = nullptr;
        }
        return;
    }
    if (!sortMenu_) {
        SortMenu::Callbacks cb;
        cb.onChoose = [this](ListenerSortMode mode) {
            if (commands_.setSortMode) commands_.setSortMode(mode);
        };
        cb.requestScan = commands_.requestScan;
        cb.onDismiss = [this] { dismissSortMenu(); };
        sortMenu_ = new SortMenu(inputs_.sortMode, std::move(cb), this);
        sortMenu_->stackUnder(overlay_);
    }
    // Hangs from the trigger's trailing edge, kept whole inside the panel; placed before it
    // shows, so that only what is under the pointer there takes the highlight.
    const QWidget* trigger = rail_->sortTrigger();
    const QPoint corner = trigger->mapTo(this, QPoint(trigger->width(), 0));
    const QSize size(SortMenu::menuWidth, sortMenu_->sizeHint().height());
    const int x = std::clamp(corner.x() - size.width(), 0, std::max(0, rect().width() - size.width()));
    const int y = std::clamp(corner.y() + 28, 0, std::max(0, rect().height() - size.height()));
    sortMenu_->setGeometry(QRect(QPoint(x, y), size));
    sortMenu_->show();
}

void PopoverRootView::toggleSortMenu() {
    const bool rowMenuOpen = expandedID_.has_value();
    expandedID_.reset();
    showSortMenu_ = !showSortMenu_;
    if (rowMenuOpen) refreshRows();
    else refreshSortMenu();
}

void PopoverRootView::dismissSortMenu() {
    showSortMenu_ = false;
    refreshSortMenu();
    focusList();
}

void PopoverRootView::refreshReveal() {
    const bool still = reduceMotionFor(this);
    const bool revealed = inputs_.isRevealed;
    // Deaf to the pointer until revealed, also without motion.
    surface_->setAttribute(Qt::WA_TransparentForMouseEvents, !revealed);
    list_->setPulseAllowed(revealed && !still && isVisible());
    revealEffect_->setPose(revealPose(revealProgress_, still));
}

void PopoverRootView::setRevealProgress(double progress) {
    revealProgress_ = progress;
    revealEffect_->setPose(revealPose(progress, reduceMotionFor(this)));
}

void PopoverRootView::resizeEvent(QResizeEvent*) {
    surface_->resize(size());
    overlay_->setGeometry(rect());
}

void PopoverRootView::focusList() { list_->setFocus(Qt::OtherFocusReason); }

void PopoverRootView::closeMenus() {
    showSortMenu_ = false;
    if (expandedID_) {
        expandedID_.reset();
        refreshRows();
    } else {
        refreshSortMenu();
    }
}

void PopoverRootView::toggleActions(const std::string& id) {
    if (expandedID_ == id) expandedID_.reset();
    else expandedID_ = id;
    refreshRows();
}

bool PopoverRootView::handleListKey(QKeyEvent* event) {
    if (event->key() == Qt::Key_Down) return moveSelection(+1);
    if (event->key() == Qt::Key_Up) return moveSelection(-1);
    // Letters act bare or with Shift; with Ctrl, Alt or Super they belong to someone else.
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
    switch (event->key()) {
        case Qt::Key_O: return performOpenSelected();
        case Qt::Key_T: return performFocusSelected();
        case Qt::Key_K: return performKillSelected();
        default: return false;
    }
}

bool PopoverRootView::moveSelection(int delta) {
    std::vector<std::string> ids;
    for (const auto& l : rendered_) ids.push_back(l.id());
    selectedID_ = ListenerKeyboardNavigation::nextID(ids, selectedID_, delta);
    expandedID_.reset();
    showSortMenu_ = false;
    if (list_->rowOrder() == ids) {
        // Only the selection moved: the rows' texts stand as they are.
        list_->setSelection(selectedID_, expandedID_);
        refreshActionMenu();
        refreshSortMenu();
    } else {
        refreshRows();
    }
    if (ids.empty()) return false;
    if (selectedID_) list_->scrollToRow(*selectedID_, true);
    return true;
}

bool PopoverRootView::performOpenSelected() {
    const auto* listener = selectedListener(rendered_, selectedID_);
    if (!listener) return false;
    auto action = ListenerKeyboardAction::forKey('o', *listener, false, inputs_.context);
    const auto* open = std::get_if<ListenerKeyboardAction::Open>(&action.value);
    if (!open) return false;
    const bool opened = commands_.openURL && commands_.openURL(open->url);
    // A browser that failed to open leaves the panel open.
    if (opened && commands_.autoCloseAfterOpening && commands_.autoCloseAfterOpening() && commands_.dismissPanel)
        commands_.dismissPanel();
    return true;
}

bool PopoverRootView::performFocusSelected() {
    const auto* listener = selectedListener(rendered_, selectedID_);
    if (!listener) return false;
    const bool labelled = inputs_.focusLabelByID.count(listener->id()) > 0;
    auto action = ListenerKeyboardAction::forKey('t', *listener, labelled, inputs_.context);
    if (!std::holds_alternative<ListenerKeyboardAction::Focus>(action.value)) return false;
    const PortListener target = *listener;
    if (commands_.focusHost) commands_.focusHost(target);
    if (commands_.autoCloseAfterOpening && commands_.autoCloseAfterOpening() && commands_.dismissPanel)
        commands_.dismissPanel();
    return true;
}

bool PopoverRootView::performKillSelected() {
    const auto* listener = selectedListener(rendered_, selectedID_);
    if (!listener) return false;
    auto action = ListenerKeyboardAction::forKey('k', *listener, false, inputs_.context);
    PendingStops pending = inputs_.pending;
    if (auto* pool = std::get_if<StopPoolRequest>(&action.value)) pending.stopPool = *pool;
    else if (auto* kill = std::get_if<KillRequest>(&action.value)) pending.kill = *kill;
    else return false;
    if (commands_.setPending) commands_.setPending(pending);
    return true;
}

void PopoverRootView::cancelShown() {
    if (!inputs_.pending.any()) return;
    if (commands_.setPending) commands_.setPending(cancelledShown(inputs_.pending));
}

void PopoverRootView::confirmShown() {
    const auto shown = shownStop(inputs_.pending);
    if (!shown) return;
    struct Confirm {
        PopoverCommands& c;
        void operator()(const KillRequest& r) const {
            if (c.confirmKill) c.confirmKill(r);
        }
        void operator()(const ForceKillRequest& r) const {
            if (c.confirmForceKill) c.confirmForceKill(r);
        }
        void operator()(const StopPoolRequest& r) const {
            if (c.confirmStopPool) c.confirmStopPool(r);
        }
        void operator()(const StopVisibleRequest& r) const {
            if (c.confirmStopVisible) c.confirmStopVisible(r);
        }
        void operator()(const StopAgentRequest& r) const {
            if (c.confirmStopAgent) c.confirmStopAgent(r);
        }
    };
    std::visit(Confirm{commands_}, *shown);
}

}  // namespace quaylight
