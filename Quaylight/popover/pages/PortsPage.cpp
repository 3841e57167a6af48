#include "Quaylight/popover/pages/PortsPage.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "Quaylight/design/controls/RetireWidget.h"
#include "Quaylight/popover/frame/ListFooterView.h"
#include "Quaylight/popover/frame/ModeSearchBar.h"
#include "Quaylight/popover/frame/PortsRailView.h"
#include "Quaylight/popover/list/ListenerListView.h"
#include "Quaylight/popover/menus/ListenerActionMenu.h"
#include "Quaylight/popover/menus/SortMenu.h"
#include "Quaylight/popover/model/ListenerKeyboard.h"
#include "Quaylight/popover/model/ListenerRowTexts.h"
#include "Quaylight/popover/model/MainAreaChoice.h"
#include "Quaylight/popover/model/PortsRailTexts.h"
#include "Quaylight/popover/pages/ListStateContents.h"

namespace quaylight {

namespace {

QString q(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

PortsPage::PortsPage(const PopoverInputs& inputs, const PopoverCommands& commands, QWidget* menuLayer,
                     QWidget* parent)
    : QObject(menuLayer), inputs_(inputs), commands_(commands), menuLayer_(menuLayer) {
    page_ = new QWidget(parent);
    auto* layout = new QVBoxLayout(page_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    bar_ = new ModeSearchBar(page_);
    layout->addWidget(bar_);
    rail_ = new PortsRailView(bar_->railSlot());
    bar_->railSlot()->layout()->addWidget(rail_);
    body_ = new QStackedWidget(page_);
    layout->addWidget(body_);
    layout->setStretch(1, 1);
    list_ = new ListenerListView(body_);
    stateHolder_ = std::make_unique<PageHolder>(body_);
    body_->addWidget(list_);
    body_->addWidget(stateHolder_->widget());
    footer_ = new ListFooterView(page_);
    layout->addWidget(footer_);
    wire();
}

PortsPage::~PortsPage() = default;

void PortsPage::adoptAgentsSlot(QWidget* slot) {
    agentsSlot_ = slot;
    body_->addWidget(slot);
}

void PortsPage::wire() {
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
        if (auto request = StopVisibleRequest::request(listed_.rendered, inputs_.context)) {
            PendingStops pending = inputs_.pending;
            pending.stopVisible = *request;
            if (commands_.setPending) commands_.setPending(pending);
        }
    };
    QWidget::setTabOrder(bar_->searchField(), list_);
    searchField_ = bar_->searchField();
    searchField_->installEventFilter(this);
}

bool PortsPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == searchField_ && event->type() == QEvent::FocusIn && !settlingPages_) {
        // Clicked, tabbed or shortcut into: the user's choice, which the list then leaves alone.
        // Focus that comes with the window's activation is only Qt's first pick.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::MouseFocusReason || reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
            reason == Qt::ShortcutFocusReason)
            searchChosen_ = true;
    }
    return QObject::eventFilter(watched, event);
}

void PortsPage::reconcile() {
    listed_ = listedPorts(inputs_);
    std::vector<std::string> ids = listed_.renderedIDs();
    // The selection follows the rows of a loaded scan: kept while listed, else the first row.
    // While a scan loads (each time the panel opens) there are no rows to follow: it stays.
    if (listed_.model && ids != renderedIDs_) {
        const auto reconciled = reconciledSelection(ids, selectedID_);
        if (selectedID_ && reconciled && reconciled != selectedID_) scrollToSelection_ = true;
        selectedID_ = reconciled;
        renderedIDs_ = std::move(ids);
    }
}

void PortsPage::comesOnScreenAnew() {
    listShownBefore_ = false;
    searchChosen_ = false;
}

void PortsPage::dropMenus() {
    showSortMenu_ = false;
    expandedID_.reset();
}

void PortsPage::chooseSearch() {
    closeMenus();
    searchChosen_ = true;
    bar_->searchField()->setFocus(Qt::OtherFocusReason);
}

QWidget* PortsPage::stateView() const {
    return body_->currentWidget() == stateHolder_->widget() ? stateHolder_->view() : nullptr;
}

void PortsPage::refresh() {
    const bool ports = inputs_.panelMode == PanelMode::ports;
    const auto& model = listed_.model;
    bar_->set(inputs_.panelMode, q(inputs_.searchText), ports && model);
    refreshRail();
    footer_->setVisible(ports && model.has_value());
    const bool scope = inputs_.exactAgentScope.has_value();
    if (model) {
        // Kept current in both modes, so the footer never stands with an empty line.
        footer_->set(q(listFooterText(scope, inputs_.filter, listed_.scoped->agentPresence, model->hiddenCount(),
                                      inputs_.showSystem)),
                     StopVisibleRequest::request(listed_.rendered, inputs_.context).has_value());
    }
    const AgentProcessPresenceSnapshot agents = listed_.scoped ? listed_.scoped->agentPresence : AgentProcessPresenceSnapshot{};
    const ListenerBodyChoice choice = listenerBodyChoice(inputs_.panelMode, model ? &*model : nullptr, agents,
                                                         scope, inputs_.filter, inputs_.searchText);
    if (choice.shows != ListenerBodyChoice::Shows::ports) {
        if (choice.shows == ListenerBodyChoice::Shows::agents) listShownBefore_ = false;
        body_->setCurrentWidget(agentsSlot_);
        return;
    }
    if (choice.ports == ListBody::rows) {
        body_->setCurrentWidget(list_);
        refreshRows();
        if (!listShownBefore_ && !listed_.rendered.empty()) {
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
    body_->setCurrentWidget(stateHolder_->widget());
    list_->setRows({}, std::nullopt, std::nullopt);
    ListStateContent stateContent = portsStateContent(choice.ports, agents, inputs_.filter, commands_);
    const QString key = stateKey(stateContent);
    stateHolder_->showState(key, [&] { return new ListStateView(std::move(stateContent)); });
}

void PortsPage::refreshRows() {
    std::vector<ListenerRowTexts> rows;
    rows.reserve(listed_.rendered.size());
    for (const auto& listener : listed_.rendered) {
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

void PortsPage::refreshActionMenu() {
    const PortListener* listener = nullptr;
    if (expandedID_ && !inputs_.pending.any() && list_->isVisible() && list_->row(*expandedID_)) {
        for (const auto& l : listed_.rendered)
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
        actionMenu_ = makeActionMenu(*listener);
        actionMenuListener_ = *listener;
        actionMenu_->stackUnder(card_);
        actionMenu_->show();
    }
    // Placed against the row inside the list, then kept whole inside the panel.
    auto* row = list_->row(*expandedID_);
    const QRectF rowRect(row->mapTo(list_, QPoint(0, 0)), QSizeF(row->size()));
    const qreal menuHeight = actionMenu_->heightEstimate();
    const QPointF centre = ListenerActionMenuModel::position(rowRect, menuHeight, QSizeF(list_->size()));
    QPointF topLeft = QPointF(list_->mapTo(menuLayer_, QPoint(0, 0))) + centre -
                      QPointF(ListenerActionMenuModel::width / 2, menuHeight / 2);
    const QRect bounds = menuLayer_->rect();
    topLeft.setX(std::clamp(topLeft.x(), 0.0, std::max(0.0, static_cast<qreal>(bounds.width()) - ListenerActionMenuModel::width)));
    topLeft.setY(std::clamp(topLeft.y(), 0.0, std::max(0.0, static_cast<qreal>(bounds.height()) - menuHeight)));
    actionMenu_->setGeometry(QRect(topLeft.toPoint(), QSize(static_cast<int>(ListenerActionMenuModel::width),
                                                            static_cast<int>(menuHeight))));
}

ListenerActionMenu* PortsPage::makeActionMenu(const PortListener& target) {
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
    return new ListenerActionMenu(target, can, std::move(cb), menuLayer_);
}

void PortsPage::dismissActionMenu() {
    // The menu may be running one of its entries: it is deleted on the next turn.
    expandedID_.reset();
    refreshRows();
    focusList();
}

void PortsPage::refreshRail() {
    PortsRailView::State state;
    if (listed_.model) state.chips = PortsChipRail::categories(listed_.model->chips, inputs_.filter);
    state.active = inputs_.filter;
    if (inputs_.exactAgentScope) state.scopeProvider = inputs_.exactAgentScopeProvider;
    state.sortMode = inputs_.sortMode;
    state.sortMenuOpen = showSortMenu_;
    rail_->set(state);
}

void PortsPage::refreshSortMenu() {
    refreshRail();
    const bool shows = showSortMenu_ && !inputs_.pending.any() && rail_->isVisibleTo(menuLayer_);
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
        sortMenu_ = new SortMenu(inputs_.sortMode, std::move(cb), menuLayer_);
        sortMenu_->stackUnder(card_);
    }
    // Hangs from the trigger's trailing edge, kept whole inside the panel; placed before it
    // shows, so that only what is under the pointer there takes the highlight.
    const QWidget* trigger = rail_->sortTrigger();
    const QPoint corner = trigger->mapTo(menuLayer_, QPoint(trigger->width(), 0));
    const QSize size(SortMenu::menuWidth, sortMenu_->sizeHint().height());
    const QRect bounds = menuLayer_->rect();
    const int x = std::clamp(corner.x() - size.width(), 0, std::max(0, bounds.width() - size.width()));
    const int y = std::clamp(corner.y() + 28, 0, std::max(0, bounds.height() - size.height()));
    sortMenu_->setGeometry(QRect(QPoint(x, y), size));
    sortMenu_->show();
}

void PortsPage::toggleSortMenu() {
    const bool rowMenuOpen = expandedID_.has_value();
    expandedID_.reset();
    showSortMenu_ = !showSortMenu_;
    if (rowMenuOpen) refreshRows();
    else refreshSortMenu();
}

void PortsPage::dismissSortMenu() {
    showSortMenu_ = false;
    refreshSortMenu();
    focusList();
}

void PortsPage::focusList() { list_->setFocus(Qt::OtherFocusReason); }

void PortsPage::closeMenus() {
    showSortMenu_ = false;
    if (expandedID_) {
        expandedID_.reset();
        refreshRows();
    } else {
        refreshSortMenu();
    }
}

void PortsPage::toggleActions(const std::string& id) {
    if (expandedID_ == id) expandedID_.reset();
    else expandedID_ = id;
    refreshRows();
}

bool PortsPage::handleListKey(QKeyEvent* event) {
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

bool PortsPage::moveSelection(int delta) {
    std::vector<std::string> ids = listed_.renderedIDs();
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

bool PortsPage::performOpenSelected() {
    const auto* listener = selectedListener(listed_.rendered, selectedID_);
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

bool PortsPage::performFocusSelected() {
    const auto* listener = selectedListener(listed_.rendered, selectedID_);
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

bool PortsPage::performKillSelected() {
    const auto* listener = selectedListener(listed_.rendered, selectedID_);
    if (!listener) return false;
    auto action = ListenerKeyboardAction::forKey('k', *listener, false, inputs_.context);
    PendingStops pending = inputs_.pending;
    if (auto* pool = std::get_if<StopPoolRequest>(&action.value)) pending.stopPool = *pool;
    else if (auto* kill = std::get_if<KillRequest>(&action.value)) pending.kill = *kill;
    else return false;
    if (commands_.setPending) commands_.setPending(pending);
    return true;
}

}  // namespace quaylight
