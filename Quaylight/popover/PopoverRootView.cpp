#include "Quaylight/popover/PopoverRootView.h"

#include <QHBoxLayout>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "Quaylight/design/controls/AccessibilityHiddenColumn.h"
#include "Quaylight/design/controls/Surface.h"
#include "Quaylight/design/platform/ReduceMotion.h"
#include "Quaylight/design/theme/PremiumTheme.h"
#include "Quaylight/popover/PopoverBinding.h"
#include "Quaylight/popover/cards/ConfirmationOverlay.h"
#include "Quaylight/popover/frame/DisplayText.h"
#include "Quaylight/popover/frame/LoadingIndicator.h"
#include "Quaylight/popover/frame/NoticeBanner.h"
#include "Quaylight/popover/frame/PopoverHeader.h"
#include "Quaylight/popover/frame/PopoverWidgets.h"
#include "Quaylight/popover/frame/RevealEffect.h"
#include "Quaylight/popover/list/ListenerListView.h"
#include "Quaylight/popover/model/AgentBodyDecisions.h"
#include "Quaylight/popover/model/ConfirmationCards.h"
#include "Quaylight/popover/pages/AgentsPage.h"
#include "Quaylight/popover/pages/FirstRunPages.h"
#include "Quaylight/popover/pages/ListStateContents.h"
#include "Quaylight/popover/pages/PageHolder.h"
#include "Quaylight/popover/pages/SettingsPage.h"

namespace quaylight {

namespace {

QWidget* loadingPage(QWidget* parent) {
    auto* page = new QWidget(parent);
    auto* loading = new QVBoxLayout(page);
    loading->setContentsMargins(0, 0, 0, 0);
    loading->setSpacing(0);
    loading->addStretch(1);
    loading->addWidget(new LoadingIndicator(page), 0, Qt::AlignHCenter);
    loading->addStretch(1);
    return page;
}

// The strip with Quit under the pages that have no footer of their own.
QWidget* rootFooter(std::function<void()> quit, QWidget* parent) {
    auto* footer = new QWidget(parent);
    auto* strip = new QVBoxLayout(footer);
    strip->setContentsMargins(0, 0, 0, 0);
    strip->setSpacing(0);
    strip->addWidget(makeHairline(footer));
    auto* row = new QHBoxLayout;
    row->setContentsMargins(16, 0, 16, 0);
    row->addStretch(1);
    row->addWidget(makeQuitButton(std::move(quit), footer));
    auto* holder = new QWidget(footer);
    holder->setFixedHeight(42);
    holder->setLayout(row);
    strip->addWidget(holder);
    return footer;
}

std::optional<QString> qOptional(const std::optional<std::string>& text) {
    return text ? std::optional(QString::fromStdString(*text)) : std::nullopt;
}

}  // namespace

PopoverRootView::PopoverRootView(PopoverCommands commands, QWidget* parent, PopoverPages pages)
    : QWidget(parent), commands_(std::move(commands)) {
    setObjectName(QStringLiteral("popoverRoot"));
    setFixedSize(width, height);
    setPalette(PremiumTheme::darkPalette());

    surface_ = new Surface(nullptr, this);
    surface_->setGeometry(rect());
    revealEffect_ = new RevealEffect(surface_);
    surface_->setGraphicsEffect(revealEffect_);
    column_ = new AccessibilityHiddenColumn(surface_);
    surface_->contentLayout()->addWidget(column_);
    buildColumn(std::move(pages));

    overlay_ = new ConfirmationOverlay(this);
    overlay_->onCancel = [this] { cancelShown(); };
    overlay_->onConfirm = [this] { confirmShown(); };
    ports_->stackMenusUnder(overlay_);
    refresh();
}

void PopoverRootView::buildColumn(PopoverPages pages) {
    auto* column = new QVBoxLayout(column_);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    header_ = new PopoverHeader(column_);
    header_->onCloseSettings = [this] { setShowSettings(false); };
    header_->onSearch = [this] { ports_->chooseSearch(); };
    header_->onSettings = [this] {
        ports_->closeMenus();
        setShowSettings(true);
    };
    column->addWidget(header_);
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
    loadingPage_ = loadingPage(main_);
    ports_ = new PortsPage(inputs_, commands_, this, main_);
    AgentsPage::Hooks hooks;
    hooks.closeMenus = [this] { ports_->closeMenus(); };
    hooks.toggleRow = [this](const std::string& rowKey) { toggleAgentRow(rowKey); };
    agents_ = std::make_unique<AgentsPage>(inputs_, commands_, std::move(hooks), main_);
    ports_->adoptAgentsSlot(agents_->slot());
    errorPage_ = std::make_unique<PageHolder>(main_);
    // Filled when their page comes on screen (refreshMainArea).
    firstRun_ = std::make_unique<FirstRunPages>(pages, commands_, main_);
    settings_ = std::make_unique<SettingsPage>(std::move(pages), commands_, [this] { setShowSettings(false); }, main_);
    for (auto* p : {loadingPage_, ports_->page(), errorPage_->widget(), firstRun_->offer(), firstRun_->tour(),
                    settings_->widget()})
        main_->addWidget(p);

    rootFooter_ = rootFooter(
        [this] {
            if (commands_.quit) commands_.quit();
        },
        column_);
    column->addWidget(rootFooter_);
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
    refresh();
}

void PopoverRootView::refresh() {
    const PopoverSurface surface = presentation();
    // A card raised over the panel closes whatever menu was open under it.
    if (inputs_.pending.any()) ports_->dropMenus();
    ports_->reconcile();
    if (inputs_.isRevealed && !wasRevealed_) {
        // The panel opens again: its list comes on screen anew, even when a scan was at hand
        // at once and no loading page came between.
        ports_->comesOnScreenAnew();
    }
    wasRevealed_ = inputs_.isRevealed;
    const ListedPorts& listed = ports_->listed();
    header_->set(listenerCountText(surface, inputs_.panelMode, inputs_.currentAgentSessions,
                                   listed.scoped ? &*listed.scoped : nullptr, listed.model ? &*listed.model : nullptr,
                                   inputs_.filter, inputs_.searchText),
                 showSettings_, surface == PopoverSurface::listenerList, inputs_.panelMode);
    refreshBanner(surface);
    refreshMainArea(mainAreaChoice(surface, showSettings_, inputs_.state, inputs_.panelMode));
    refreshReveal();
    const auto shown = shownStop(inputs_.pending);
    // Nothing under a card reacts meanwhile, for a screen reader either: the column leaves
    // the accessible tree, and whatever the reader still holds of it is disabled. Shielded
    // after the card took the focus and unshielded before it hands the focus back, so the
    // focus it hands back lands on an enabled widget.
    if (!shown) shieldColumn(false);
    overlay_->present(shown ? std::optional(confirmationTexts(*shown)) : std::nullopt);
    if (shown) shieldColumn(true);
    ports_->refreshSortMenu();
}

QWidget* PopoverRootView::column() const { return column_; }

QLabel* PopoverRootView::countLabel() const { return header_->countLabel(); }

AgentListView* PopoverRootView::agentList() const { return agents_->list(); }

QWidget* PopoverRootView::stateView() const {
    if (main_->currentWidget() == errorPage_->widget()) return errorPage_->view();
    if (main_->currentWidget() == ports_->page()) return ports_->stateView();
    return nullptr;
}

void PopoverRootView::shieldColumn(bool shielded) {
    if (column_->isHiddenFromAccessibility() == shielded) return;
    // The surface holds nothing but the column: disabled with it, no node under the card
    // stays enabled.
    surface_->setEnabled(!shielded);
    column_->setHiddenFromAccessibility(shielded);
}

void PopoverRootView::refreshBanner(PopoverSurface surface) {
    const auto notice =
        chooseNotice(surface, showSettings_, inputs_.panelMode, inputs_.actionNotice, inputs_.killNotice);
    if (notice) banner_->setText(displayText(notice->text));
    banner_->setVisible(notice.has_value());
    if (inputs_.settingsFileNotice) settingsFileBanner_->setText(displayText(*inputs_.settingsFileNotice));
    settingsFileBanner_->setVisible(inputs_.settingsFileNotice.has_value());
}

QWidget* PopoverRootView::pageWidget(MainPage page) const {
    switch (page) {
        case MainPage::settings: return settings_->widget();
        case MainPage::launchAtLoginOffer: return firstRun_->offer();
        case MainPage::walkthrough: return firstRun_->tour();
        case MainPage::loading: return loadingPage_;
        case MainPage::scanError: return errorPage_->widget();
        case MainPage::listenerContent: break;
    }
    return ports_->page();
}

void PopoverRootView::refreshMainArea(const MainAreaChoice& choice) {
    // While pages change places Qt hands the keyboard of a page that leaves to the next
    // focusable widget, often the search field: that is no choice of the user's.
    ports_->setPagesSettling(true);
    const struct Settled {
        PortsPage* ports;
        ~Settled() { ports->setPagesSettling(false); }
    } settled{ports_};
    if (main_->currentWidget() != ports_->page()) {
        // The listener content comes on screen anew, with nobody's choice of the keys yet.
        ports_->comesOnScreenAnew();
    }
    rootFooter_->setVisible(choice.rootFooter);
    // A page that left the screen is dropped: the next time it comes, it starts afresh from
    // the stored settings and flags.
    if (choice.page != MainPage::settings) settings_->drop();
    firstRun_->dropAllBut(choice.page);
    main_->setCurrentWidget(pageWidget(choice.page));
    switch (choice.page) {
        case MainPage::settings: settings_->show(inputs_.showSystem, qOptional(lastScannedText())); break;
        case MainPage::launchAtLoginOffer:
        case MainPage::walkthrough: firstRun_->fill(choice.page); break;
        case MainPage::loading: break;
        case MainPage::scanError: {
            const auto* failed = std::get_if<PortsFailed>(&inputs_.state);
            ListStateContent content = scanErrorContent(displayText(failed->message), commands_);
            const QString key = stateKey(content);
            errorPage_->showState(key, [&] { return new ListStateView(std::move(content)); });
            break;
        }
        case MainPage::listenerContent:
            ports_->refresh();
            if (inputs_.panelMode != PanelMode::ports) agents_->refresh();
            break;
    }
}

void PopoverRootView::setShowSettings(bool shown) {
    showSettings_ = shown;
    refresh();
}

void PopoverRootView::toggleAgentRow(const std::string& rowKey) {
    // Shown at once; the owner's copy comes back with the next inputs.
    inputs_.expandedAgentRowKey = toggledExpansion(inputs_.expandedAgentRowKey, rowKey);
    agents_->refresh();
    if (commands_.setExpandedAgentRow) commands_.setExpandedAgentRow(inputs_.expandedAgentRowKey);
}

void PopoverRootView::refreshReveal() {
    const bool still = reduceMotionFor(this);
    const bool revealed = inputs_.isRevealed;
    // Deaf to the pointer until revealed, also without motion.
    surface_->setAttribute(Qt::WA_TransparentForMouseEvents, !revealed);
    ports_->list()->setPulseAllowed(revealed && !still && isVisible());
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
