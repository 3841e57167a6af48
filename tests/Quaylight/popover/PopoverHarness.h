#pragma once
// A stand-in owner for the popover in tests: it holds the inputs, applies every command to
// them as the view model would, and hands the new inputs back to the real PopoverRootView.
// Confirmations run the given stop functions at once (the application runs them as tasks).

#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <QVariantAnimation>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Quaylight/popover/PopoverRootView.h"
#include "Quaylight/popover/cards/ConfirmationOverlay.h"
#include "Quaylight/popover/list/ListenerListView.h"
#include "Quaylight/popover/menus/ListenerActionMenu.h"
#include "tests/Quaylight/popover/FirstRunTestPages.h"

namespace quaylight::test {

// A window that records the keys its children let through.
class KeyRecorder : public QWidget {
public:
    std::vector<int> keys;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        const int key = event->key();
        const bool modifier =
            key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt || key == Qt::Key_Meta;
        if (!modifier) keys.push_back(key);
        event->accept();
    }
};

struct PopoverHarness {
    PopoverInputs inputs;
    std::vector<std::string> opened;
    std::vector<std::string> focused;
    int scans = 0;
    int quits = 0;
    int dismissals = 0;
    int filterPersists = 0;
    bool openSucceeds = true;
    bool autoClose = false;
    // What confirming a stop does; unset: records only.
    std::function<std::optional<std::string>(const KillRequest&)> kill;
    std::function<std::optional<std::string>(const ForceKillRequest&)> forceKill;
    std::function<std::optional<std::string>(const StopPoolRequest&)> stopPool;
    std::function<std::optional<std::string>(const StopVisibleRequest&)> stopVisible;
    std::vector<std::string> confirmed;
    // The Agents tab's requests, in order ("stop agent <row key>", "connect codex", ...).
    std::vector<std::string> agentCalls;
    // What asking to stop an agent parks; unset: records only.
    std::function<std::optional<StopAgentRequest>(const AgentSessionSnapshot&)> stopAgentRequest;
    std::function<void()> rescan;  // after a confirmed stop

    KeyRecorder window;
    PopoverRootView* root = nullptr;

    PopoverHarness() {
        inputs.launchAtLoginOfferCompleted = true;
        inputs.onboardingComplete = true;
        inputs.context = {1, 501};
        inputs.displayFields = {true, true, true, false, true, true, true, true, false};
        PopoverCommands c;
        c.setSearchText = [this](std::string text) { update([&](PopoverInputs& i) { i.searchText = text; }); };
        c.setFilter = [this](FilterCategory f) { update([&](PopoverInputs& i) { i.filter = f; }); };
        c.persistLastUsedFilter = [this] { ++filterPersists; };
        c.setSortMode = [this](ListenerSortMode m) { update([&](PopoverInputs& i) { i.sortMode = m; }); };
        c.clearExactScope = [this] { update([](PopoverInputs& i) { i.exactAgentScope.reset(); }); };
        c.selectPanelMode = [this](PanelMode m) {
            update([&](PopoverInputs& i) {
                i.panelMode = m;
                if (m == PanelMode::ports) i.expandedAgentRowKey.reset();
            });
        };
        c.setExpandedAgentRow = [this](std::optional<std::string> rowKey) {
            update([&](PopoverInputs& i) { i.expandedAgentRowKey = std::move(rowKey); });
        };
        c.setPending = [this](PendingStops p) { update([&](PopoverInputs& i) { i.pending = p; }); };
        c.confirmKill = [this](KillRequest r) {
            confirmed.push_back("kill " + r.id);
            update([](PopoverInputs& i) {
                i.pending.kill.reset();
                i.killNotice.reset();
            });
            if (kill) {
                auto notice = kill(r);
                update([&](PopoverInputs& i) { i.killNotice = notice; });
                if (rescan) rescan();
            }
        };
        c.confirmForceKill = [this](ForceKillRequest r) {
            confirmed.push_back("force " + r.id);
            update([](PopoverInputs& i) { i.pending.forceKill.reset(); });
            if (forceKill) afterStop(forceKill(r));
        };
        c.confirmStopPool = [this](StopPoolRequest r) {
            confirmed.push_back("pool " + r.id);
            update([](PopoverInputs& i) { i.pending.stopPool.reset(); });
            if (stopPool) afterStop(stopPool(r));
        };
        c.confirmStopVisible = [this](StopVisibleRequest r) {
            confirmed.push_back("visible " + r.id);
            update([](PopoverInputs& i) { i.pending.stopVisible.reset(); });
            if (stopVisible) {
                auto notice = stopVisible(r);
                update([&](PopoverInputs& i) { i.killNotice = notice; });
                if (rescan) rescan();
            }
        };
        c.setAgentFilter = [this](AgentProviderFilter f) { update([&](PopoverInputs& i) { i.agentFilter = f; }); };
        c.requestStopAgent = [this](const AgentSessionSnapshot& s) {
            agentCalls.push_back("stop agent " + s.rowKey());
            if (auto request = stopAgentRequest ? stopAgentRequest(s) : std::nullopt)
                update([&](PopoverInputs& i) { i.pending.stopAgent = request; });
        };
        c.confirmStopAgent = [this](StopAgentRequest r) {
            confirmed.push_back("agent " + r.id);
            update([](PopoverInputs& i) { i.pending.stopAgent.reset(); });
        };
        c.focusAgentHost = [this](const AgentSessionSnapshot& s) { agentCalls.push_back("focus " + s.rowKey()); };
        c.viewRelatedPorts = [this](const ExactAgentPortScope& scope) {
            update([&](PopoverInputs& i) {
                i.exactAgentScope = scope.identity;
                i.panelMode = PanelMode::ports;
            });
        };
        c.viewProviderPorts = [this](const AgentSessionSnapshot& s) { agentCalls.push_back("provider " + s.rowKey()); };
        c.connectProvider = [this](AgentKind k) { agentCalls.push_back("connect " + std::string(rawValue(k))); };
        c.retryReceiver = [this] { agentCalls.push_back("retry"); };
        c.now = [this] { return inputs.now; };
        c.dismissKillNotice = [this] { update([](PopoverInputs& i) { i.killNotice.reset(); }); };
        c.dismissActionNotice = [this] { update([](PopoverInputs& i) { i.actionNotice.reset(); }); };
        c.openURL = [this](const std::string& url) {
            opened.push_back(url);
            return openSucceeds;
        };
        c.focusHost = [this](const PortListener& l) { focused.push_back(l.id()); };
        c.autoCloseAfterOpening = [this] { return autoClose; };
        c.requestScan = [this] { ++scans; };
        c.dismissPanel = [this] { ++dismissals; };
        c.quit = [this] { ++quits; };
        c.completeLaunchAtLoginOffer = [this](bool) {
            update([](PopoverInputs& i) { i.launchAtLoginOfferCompleted = true; });
        };
        c.completeWalkthrough = [this] { update([](PopoverInputs& i) { i.onboardingComplete = true; }); };
        root = new PopoverRootView(std::move(c), &window, firstRunTestPages());
        window.resize(PopoverRootView::width, PopoverRootView::height);
    }

    void update(const std::function<void(PopoverInputs&)>& change) {
        change(inputs);
        root->apply(inputs);
    }
    void apply() { root->apply(inputs); }
    // A stop that ran: its notice shows, and the list is scanned again.
    void afterStop(std::optional<std::string> notice) {
        update([&](PopoverInputs& i) { i.killNotice = std::move(notice); });
        if (rescan) rescan();
    }

    // Shows the window as the active one, so that focus and keys behave as on screen.
    // Runs the card's fade to its end, as the screen shows it 0.16 s later.
    void finishCardFade() {
        if (auto* fade = root->overlay()->findChild<QVariantAnimation*>(QStringLiteral("cardFade")))
            fade->setCurrentTime(fade->duration());
    }

    void show() {
        window.show();
        QApplication::setActiveWindow(&window);
        window.activateWindow();
        (void)QTest::qWaitForWindowActive(&window, 1000);
        QApplication::processEvents();
    }

    ListenerListView* list() const { return root->listView(); }
    std::vector<std::string> rowIDs() const { return list()->rowOrder(); }
    // Sends a key to whatever holds the focus (or the list).
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* target = QApplication::focusWidget();
        if (!target) target = list();
        QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
    }
    // Right-clicks a row; the menu it opened, if any.
    ListenerActionMenu* openActionMenu(const std::string& id) {
        QTest::mouseClick(list()->row(id), Qt::RightButton, {}, QPoint(200, 10));
        QApplication::processEvents();
        return root->actionMenu();
    }
    // Moves the open menu's highlight down to the item `title`.
    void highlightMenuItem(ListenerActionMenu* menu, const std::string& title) {
        const auto& items = menu->items();
        for (std::size_t i = 0;
             i < items.size() && items[static_cast<std::size_t>(menu->highlightedIndex())].title != title; ++i)
            key(Qt::Key_Down);
    }
};

}  // namespace quaylight::test
