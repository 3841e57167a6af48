// The real popover root driven with inputs as the view model would publish them: visible
// texts, rows kept across frames, the keyboard, clicks and the confirmation card.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "Quaylight/popover/cards/ConfirmationOverlay.h"
#include "Quaylight/popover/frame/ElidedLabel.h"
#include "Quaylight/popover/frame/ListFooterView.h"
#include "Quaylight/popover/frame/LoadingIndicator.h"
#include "Quaylight/popover/frame/ModeSearchBar.h"
#include "Quaylight/popover/frame/NoticeBanner.h"
#include "Quaylight/popover/frame/WrapLabel.h"
#include "Quaylight/popover/list/ActivityPulseClock.h"
#include "tests/Quaylight/popover/AccessibleWalk.h"
#include "tests/Quaylight/popover/PopoverHarness.h"
#include "tests/QuaylightKit/Listeners.h"

namespace quaylight {
namespace {

using namespace testsupport;
using test::PopoverHarness;

PortListener webRow(std::int32_t pid, std::int64_t port, std::string path = "/usr/bin/node") {
    auto l = makeListener(pid, port, std::move(path));
    l.endpoints = {BoundEndpoint{"127.0.0.1", AddressFamily::ipv4, port}};
    l.bindScope = BindScope::loopbackOnly;
    return l;
}

ScanResult threeRows() { return resultOf({webRow(10, 3000), webRow(11, 4000), webRow(12, 5000)}); }

QString titleOf(ListenerRowView* row) { return row->findChild<ElidedLabel*>(QStringLiteral("title"))->accessibleName(); }

TEST(PopoverRoot, RowsShowTheirTexts) {
    PopoverHarness h;
    auto vite = webRow(10, 5173);
    vite.classification.framework = Framework::vite;
    vite.classification.runtime = Runtime::node;
    vite.classification.confidence = Confidence::high;
    vite.agentOrigin = AgentKind::claude;
    auto everywhere = webRow(11, 8080, "/usr/bin/python3");
    everywhere.bindScope = BindScope::allInterfaces;
    h.inputs.state = resultOf({vite, everywhere});
    h.apply();
    ASSERT_EQ(h.rowIDs().size(), 2u);
    auto* row = h.list()->row(vite.id());
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(titleOf(row), QStringLiteral("node"));
    EXPECT_EQ(row->findChild<QLabel*>(QStringLiteral("pid"))->text(), QStringLiteral("PID 10"));
    EXPECT_EQ(row->findChild<ElidedLabel*>(QStringLiteral("context"))->accessibleName(), QStringLiteral("Vite"));
    auto* classification = row->findChild<QWidget*>(QStringLiteral("classificationBadge"));
    EXPECT_EQ(classification->accessibleName(), QStringLiteral("Vite, high confidence"));
    EXPECT_FALSE(classification->isHidden());
    EXPECT_EQ(row->findChild<QWidget*>(QStringLiteral("agentBadge"))->accessibleName(), QStringLiteral("Claude"));
    auto* bind = row->findChild<QWidget*>(QStringLiteral("bindBadge"));
    EXPECT_EQ(bind->accessibleName(), QStringLiteral("localhost"));
    EXPECT_EQ(bind->toolTip(), QStringLiteral("Reachable from this computer only."));
    EXPECT_EQ(row->findChild<QWidget*>(QStringLiteral("actions"))->accessibleName(),
              QStringLiteral("Actions for node on port 5173"));
    EXPECT_EQ(row->findChild<QWidget*>(QStringLiteral("activityLight"))->accessibleName(),
              QStringLiteral("Activity unknown"));
    auto* second = h.list()->row(everywhere.id());
    EXPECT_EQ(second->findChild<QWidget*>(QStringLiteral("bindBadge"))->accessibleName(),
              QStringLiteral("All Interfaces"));
    EXPECT_TRUE(second->findChild<QWidget*>(QStringLiteral("classificationBadge"))->isHidden());
    EXPECT_EQ(h.root->countLabel()->text(), QStringLiteral("2 listeners"));
    EXPECT_EQ(h.root->footer()->status(), QStringLiteral("↑↓ select · O open · T focus · K stop"));
    EXPECT_TRUE(h.root->footer()->showsStopVisible());
}

TEST(PopoverRoot, NamesFromOtherProgramsStayPlainText) {
    PopoverHarness h;
    auto l = webRow(10, 3000);
    l.process.edit().executablePath.reset();
    l.process.edit().name = "<b>bold</b>\x1b[2J\xe2\x80\xae" "evil\xff";
    l.project = ListenerProject{"<img src=x>", std::nullopt};
    h.inputs.state = resultOf({l});
    h.apply();
    auto* row = h.list()->row(l.id());
    const QString title = titleOf(row);
    EXPECT_FALSE(title.contains(QChar(0x1b)));
    EXPECT_FALSE(title.contains(QChar(0x202e)));
    EXPECT_TRUE(title.contains(QStringLiteral("<b>bold</b>")));
    EXPECT_TRUE(title.contains(QChar(0xfffd)));
    // The tooltip shows the text literally, never as markup.
    EXPECT_TRUE(row->toolTip().contains(QStringLiteral("Project: &lt;img src=x&gt;")));
    EXPECT_FALSE(row->toolTip().contains(QStringLiteral("<img")));
}

TEST(PopoverRoot, HiddenRowsFieldsAndDensity) {
    PopoverHarness h;
    auto system = makeListener(20, 631, "/usr/sbin/cupsd", VisibilityClass::hiddenSystemBackground);
    h.inputs.state = resultOf({webRow(10, 3000), system});
    h.apply();
    EXPECT_EQ(h.rowIDs().size(), 1u);
    EXPECT_EQ(h.root->footer()->status(), QStringLiteral("1 system & background listener hidden"));
    h.update([](PopoverInputs& i) { i.showSystem = true; });
    ASSERT_EQ(h.rowIDs().size(), 2u);
    EXPECT_EQ(h.rowIDs()[1], system.id());
    EXPECT_FALSE(h.list()->row(system.id())->findChild<QWidget*>(QStringLiteral("systemTag"))->isHidden());
    EXPECT_EQ(h.root->footer()->status(), QStringLiteral("Showing system & background listeners"));

    auto* row = h.list()->row(webRow(10, 3000).id());
    EXPECT_FALSE(row->findChild<QWidget*>(QStringLiteral("portPill"))->isHidden());
    const int comfortable = row->sizeHint().height();
    h.update([](PopoverInputs& i) {
        i.displayFields = {false, false, false, false, false, false, false, false, false};
        i.rowDensity = DisplaySettings::RowDensity::compact;
    });
    EXPECT_EQ(h.list()->row(webRow(10, 3000).id()), row);  // the same widget, changed in place
    EXPECT_TRUE(row->findChild<QWidget*>(QStringLiteral("portPill"))->isHidden());
    EXPECT_TRUE(row->findChild<QWidget*>(QStringLiteral("vitals"))->isHidden());
    EXPECT_LT(row->sizeHint().height(), comfortable);
}

// Records every paint event in the application, in screen coordinates.
class PaintRecorder : public QObject {
public:
    PaintRecorder() { qApp->installEventFilter(this); }
    ~PaintRecorder() override { qApp->removeEventFilter(this); }
    std::vector<std::pair<QWidget*, QRect>> paints;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched->isWidgetType()) {
            auto* widget = static_cast<QWidget*>(watched);
            const QRect area = static_cast<QPaintEvent*>(event)->rect();
            paints.emplace_back(widget, QRect(widget->mapToGlobal(area.topLeft()), area.size()));
        }
        return false;
    }
};

TEST(PopoverRoot, EqualFramesKeepTheRowsAndPaintNothing) {
    PopoverHarness h;
    h.inputs.state = threeRows();
    h.inputs.cpuPercentByID[webRow(10, 3000).id()] = 3;
    h.apply();
    h.show();
    QTest::qWait(20);
    std::vector<ListenerRowView*> before;
    std::vector<int> paints;
    for (const auto& id : h.rowIDs()) {
        before.push_back(h.list()->row(id));
        paints.push_back(before.back()->paintCount());
    }
    EXPECT_GT(paints[0], 0);
    {
        // Nothing anywhere in the panel paints over equal frames, not only the rows.
        PaintRecorder recorder;
        for (int frame = 0; frame < 3; ++frame) {
            h.apply();
            QTest::qWait(20);
        }
        EXPECT_TRUE(recorder.paints.empty())
            << recorder.paints.size() << " paints, the first in "
            << recorder.paints.front().first->metaObject()->className();
    }
    for (std::size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(h.list()->row(h.rowIDs()[i]), before[i]);
        EXPECT_EQ(before[i]->paintCount(), paints[i]) << i;
    }
    // A new CPU figure for one row repaints that row alone.
    h.update([](PopoverInputs& i) { i.cpuPercentByID[webRow(10, 3000).id()] = 40; });
    QTest::qWait(20);
    EXPECT_GT(before[0]->paintCount(), paints[0]);
    EXPECT_EQ(before[1]->paintCount(), paints[1]);
    EXPECT_EQ(before[2]->paintCount(), paints[2]);
}

TEST(PopoverRoot, PulsesOnlyWhenRevealedWithKnownActivityAndMotionAndRepaintsOnlyTheLight) {
    PopoverHarness h;
    h.inputs.state = threeRows();
    h.inputs.activityByID[webRow(10, 3000).id()] = ActivityLevel::high;
    h.apply();
    h.show();
    h.apply();
    auto* row = h.list()->row(webRow(10, 3000).id());
    EXPECT_TRUE(row->isPulsing());
    EXPECT_FALSE(h.list()->row(webRow(11, 4000).id())->isPulsing());
    EXPECT_EQ(h.list()->pulseClock()->subscriberCount(), 1);
    {
        // The clock's ticks repaint the light's square and nothing beyond it: not its row,
        // not the panel around it.
        QTest::qWait(20);
        PaintRecorder recorder;
        QTRY_VERIFY(recorder.paints.size() >= 2);
        QWidget* light = nullptr;
        for (auto* child : row->findChildren<QWidget*>())
            if (!light && child->size() == QSize(16, 16) && !child->accessibleName().isEmpty()) light = child;
        ASSERT_NE(light, nullptr);
        const QRect lightArea(light->mapToGlobal(QPoint(0, 0)), light->size());
        for (const auto& [widget, area] : recorder.paints)
            EXPECT_TRUE(lightArea.contains(area)) << widget->metaObject()->className() << " painted beyond the light";
    }
    h.update([](PopoverInputs& i) { i.isRevealed = false; });
    EXPECT_FALSE(h.list()->row(webRow(10, 3000).id())->isPulsing());
    EXPECT_FALSE(h.list()->pulseClock()->isRunning());
}

TEST(ActivityPulseClock, HaloChangesAtMostOncePerStepOfASweep) {
    // The lights repaint only when the stepped phase changes: a sweep sampled finely changes
    // it no more than phaseSteps times, from rest to the grown halo, never back on the way.
    const int samples = 1000;
    int changes = 0;
    qreal last = ActivityPulseClock::steppedPhase(0);
    EXPECT_EQ(last, 0.0);
    for (int i = 1; i <= samples; ++i) {
        const qreal phase = ActivityPulseClock::steppedPhase(qreal(i) / samples);
        EXPECT_GE(phase, last) << i;
        if (phase != last) ++changes;
        last = phase;
    }
    EXPECT_EQ(last, 1.0);
    EXPECT_LE(changes, ActivityPulseClock::phaseSteps);
    EXPECT_GE(changes, ActivityPulseClock::phaseSteps / 2);  // still a smooth halo, not a blink
}

TEST(PopoverRoot, ArrowsWrapAndFollowVanishedRows) {
    PopoverHarness h;
    h.inputs.state = threeRows();
    h.apply();
    h.show();
    const auto ids = h.rowIDs();
    EXPECT_EQ(h.root->selectedListenerID(), ids[0]);  // the first row on appearance
    EXPECT_TRUE(h.list()->hasFocus());
    h.key(Qt::Key_Up);
    EXPECT_EQ(h.root->selectedListenerID(), ids[2]);
    h.key(Qt::Key_Down);
    EXPECT_EQ(h.root->selectedListenerID(), ids[0]);
    h.key(Qt::Key_Down);
    EXPECT_EQ(h.root->selectedListenerID(), ids[1]);
    EXPECT_TRUE(h.window.keys.empty());
    // The selected row vanishes: the selection goes back to the first row.
    h.update([](PopoverInputs& i) { i.state = resultOf({webRow(10, 3000), webRow(12, 5000)}); });
    EXPECT_EQ(h.root->selectedListenerID(), ids[0]);
    // No rows: the key is ignored and reaches the window, the selection is none.
    h.update([](PopoverInputs& i) {
        i.state = resultOf({webRow(10, 3000)});
        i.searchText = "no-such-thing";
    });
    h.list()->setFocus();
    h.key(Qt::Key_Down);
    EXPECT_EQ(h.root->selectedListenerID(), std::nullopt);
    EXPECT_EQ(h.window.keys, std::vector<int>{Qt::Key_Down});
}

TEST(PopoverRoot, LetterKeysActOrPassOn) {
    PopoverHarness h;
    auto pool = makePoolListener(20, 8000, 3, ProcessIdentity{19, 1019, 0});
    auto bare = makeListener(30, 70000);  // no address to open
    h.inputs.state = resultOf({webRow(10, 3000), pool, bare});
    h.inputs.focusLabelByID[webRow(10, 3000).id()] = "Code";
    h.apply();
    h.show();
    h.list()->setFocus();
    h.key(Qt::Key_O);
    EXPECT_EQ(h.opened, std::vector<std::string>{*webRow(10, 3000).openableURL()});
    h.key(Qt::Key_T);
    EXPECT_EQ(h.focused.size(), 1u);
    h.key(Qt::Key_K, Qt::ControlModifier);  // Ctrl+K belongs to someone else
    h.key(Qt::Key_K, Qt::AltModifier);
    EXPECT_FALSE(h.inputs.pending.any());
    EXPECT_EQ(h.window.keys, (std::vector<int>{Qt::Key_K, Qt::Key_K}));
    h.key(Qt::Key_K, Qt::ShiftModifier);
    ASSERT_TRUE(h.inputs.pending.kill);
    EXPECT_EQ(h.inputs.pending.kill->pid, 10);
    h.key(Qt::Key_Escape);  // cancels the card
    EXPECT_FALSE(h.inputs.pending.any());
    EXPECT_TRUE(h.list()->hasFocus());  // focus came back

    // On the pool's row K stops the pool.
    h.key(Qt::Key_Down);
    EXPECT_EQ(h.root->selectedListenerID(), h.rowIDs()[1]);
    h.key(Qt::Key_K);
    EXPECT_TRUE(h.inputs.pending.stopPool);
    EXPECT_FALSE(h.inputs.pending.kill);
    h.key(Qt::Key_Escape);

    // A row with no address and no focus label: o and t pass on.
    h.window.keys.clear();
    h.key(Qt::Key_Down);
    h.key(Qt::Key_O);
    h.key(Qt::Key_T);
    EXPECT_EQ(h.window.keys, (std::vector<int>{Qt::Key_O, Qt::Key_T}));
    // Escape without a card is the panel's: it passes on.
    h.key(Qt::Key_Escape);
    EXPECT_EQ(h.window.keys.back(), Qt::Key_Escape);
}

TEST(PopoverRoot, FocusMovesBetweenSearchAndList) {
    PopoverHarness h;
    h.inputs.state = threeRows();
    h.apply();
    h.show();
    QLineEdit* search = h.root->searchBar()->searchField();
    EXPECT_TRUE(h.list()->hasFocus());
    h.key(Qt::Key_Tab);
    EXPECT_TRUE(search->hasFocus());
    h.key(Qt::Key_Tab);
    EXPECT_TRUE(h.list()->hasFocus());
    h.key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_TRUE(search->hasFocus());
    QTest::keyClicks(search, QStringLiteral("40"));
    EXPECT_EQ(h.inputs.searchText, "40");
    EXPECT_EQ(h.rowIDs().size(), 1u);
    EXPECT_EQ(h.root->countLabel()->text(), QStringLiteral("1 of 3"));
    h.key(Qt::Key_Return);  // neither clears nor moves focus
    EXPECT_EQ(h.inputs.searchText, "40");
    EXPECT_TRUE(search->hasFocus());
    h.key(Qt::Key_Down);
    EXPECT_TRUE(h.list()->hasFocus());
}

TEST(PopoverRoot, CardHoldsTheKeysAndClicksWhileItShows) {
    PopoverHarness h;
    h.inputs.state = threeRows();
    h.apply();
    h.show();
    QLineEdit* search = h.root->searchBar()->searchField();
    h.list()->setFocus();
    h.key(Qt::Key_K);
    ASSERT_TRUE(h.inputs.pending.kill);
    EXPECT_TRUE(h.root->overlay()->isPresented());
    EXPECT_EQ(h.root->overlay()->title(), QStringLiteral("Kill node (PID 10)?"));
    // Nothing beneath reacts: no typing into search, no arrow moves.
    const auto selected = h.root->selectedListenerID();
    h.key(Qt::Key_Down);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("zz"));
    EXPECT_EQ(h.root->selectedListenerID(), selected);
    EXPECT_EQ(h.inputs.searchText, "");
    EXPECT_EQ(h.inputs.pending.kill->pid, 10);
    h.key(Qt::Key_Return);
    EXPECT_EQ(h.confirmed, std::vector<std::string>{"kill " + webRow(10, 3000).id()});
    EXPECT_FALSE(h.root->overlay()->isPresented());
    EXPECT_TRUE(h.list()->hasFocus());

    // From the search field: the card takes the keys, and gives focus back.
    search->setFocus();
    h.update([](PopoverInputs& i) { i.pending.stopVisible = StopVisibleRequest{"x", 1, {}}; });
    h.key(Qt::Key_Escape);
    EXPECT_FALSE(h.inputs.pending.any());
    EXPECT_TRUE(search->hasFocus());
    search->setFocus();
    h.update([](PopoverInputs& i) { i.pending.stopVisible = StopVisibleRequest{"x", 1, {}}; });
    h.key(Qt::Key_Enter);
    EXPECT_EQ(h.confirmed.back(), "visible x");
}

TEST(PopoverRoot, WhileACardAsksNothingUnderItIsReachableForAScreenReader) {
    PopoverHarness h;
    h.inputs.state = threeRows();
    h.apply();
    h.show();
    h.list()->setFocus();
    // A reader read the header's Settings button before the card came.
    QAbstractButton* settings = nullptr;
    for (auto* button : h.root->findChildren<QAbstractButton*>())
        if (button->accessibleName() == QStringLiteral("Settings")) settings = button;
    ASSERT_TRUE(settings);
    QAccessibleInterface* held = QAccessible::queryAccessibleInterface(settings);
    ASSERT_TRUE(held && held->actionInterface());
    EXPECT_FALSE(held->actionInterface()->actionNames().isEmpty());

    h.key(Qt::Key_K);
    ASSERT_TRUE(h.root->overlay()->isPresented());
    // Walked from the top, only the card and what holds it are there, and enabled.
    std::vector<std::string> reachable;
    for (auto* node : test::accessibleNodes(h.root)) {
        auto* widget = qobject_cast<QWidget*>(node->object());
        const bool cardOrAbove = widget && (widget == h.root->overlay() || h.root->overlay()->isAncestorOf(widget) ||
                                            widget->isAncestorOf(h.root->overlay()));
        if (!cardOrAbove && !node->state().invisible && !node->state().disabled)
            reachable.push_back(node->text(QAccessible::Name).toStdString() + " (" +
                                widget->metaObject()->className() + ")");
    }
    EXPECT_EQ(reachable, std::vector<std::string>{});
    // Nor does a point on the screen find anything of it: hit-tested, the Settings button's
    // own spot ends on the backdrop or at the column, empty and disabled, never inside it.
    const QPoint spot = settings->mapToGlobal(settings->rect().center());
    QAccessibleInterface* hit = QAccessible::queryAccessibleInterface(h.root);
    for (QAccessibleInterface* next = hit; next; next = next->childAt(spot.x(), spot.y())) hit = next;
    auto* hitWidget = qobject_cast<QWidget*>(hit->object());
    ASSERT_TRUE(hitWidget);
    EXPECT_TRUE(hitWidget == h.root->column() || !h.root->column()->isAncestorOf(hitWidget))
        << hitWidget->metaObject()->className();
    EXPECT_TRUE(hitWidget == h.root->overlay() || hit->state().disabled) << hitWidget->metaObject()->className();
    QAccessibleInterface* column = QAccessible::queryAccessibleInterface(h.root->column());
    EXPECT_EQ(column->indexOfChild(QAccessible::queryAccessibleInterface(h.root->findChild<QWidget*>(
                  QStringLiteral("header")))),
              -1);
    // What the reader still holds is disabled and offers nothing to press.
    EXPECT_TRUE(held->state().disabled);
    EXPECT_TRUE(held->actionInterface()->actionNames().isEmpty());
    held->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_FALSE(h.root->showSettings());
    EXPECT_TRUE(h.inputs.pending.kill);

    // Once the card goes, the column is back for the reader and the keys where they were.
    h.key(Qt::Key_Escape);
    EXPECT_FALSE(h.inputs.pending.any());
    EXPECT_FALSE(held->state().disabled);
    EXPECT_TRUE(h.list()->hasFocus());
    bool settingsReached = false;
    for (auto* node : test::accessibleNodes(h.root)) settingsReached = settingsReached || node->object() == settings;
    EXPECT_TRUE(settingsReached);
}

TEST(PopoverRoot, BackdropClickCancelsCardClickDoesNot) {
    PopoverHarness h;
    h.inputs.state = threeRows();
    h.inputs.pending.kill = KillRequest{{"id", std::string(255, 'n'), 10, 3000, "SIGTERM", {}}};
    h.inputs.pending.stopPool = StopPoolRequest{};
    h.apply();
    h.show();
    auto* card = h.root->overlay()->card();
    EXPECT_EQ(card->width(), 360);  // a 255-character name wraps; the card keeps its width
    QTest::mouseClick(card, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(h.inputs.pending.kill);
    QTest::mouseClick(h.root->overlay(), Qt::LeftButton, {}, QPoint(600, 40));
    EXPECT_FALSE(h.inputs.pending.kill);
    EXPECT_TRUE(h.inputs.pending.stopPool);  // the next card takes its place
    EXPECT_TRUE(h.root->overlay()->isPresented());
    EXPECT_EQ(h.root->overlay()->title(), QStringLiteral("Stop  worker pool?"));
}

TEST(PopoverRoot, RightAndControlClicksToggleTheMenuWithoutSelecting) {
    PopoverHarness h;
    h.inputs.state = threeRows();
    h.apply();
    h.show();
    const auto ids = h.rowIDs();
    auto* second = h.list()->row(ids[1]);
    QTest::mouseClick(second, Qt::RightButton, {}, QPoint(200, 10));
    EXPECT_EQ(h.root->expandedActionsListenerID(), ids[1]);
    EXPECT_EQ(h.root->selectedListenerID(), ids[0]);
    EXPECT_TRUE(second->rowState().actionsExpanded);
    QTest::mouseClick(second, Qt::LeftButton, Qt::ControlModifier, QPoint(200, 10));
    EXPECT_EQ(h.root->expandedActionsListenerID(), std::nullopt);
    QTest::mouseClick(second, Qt::LeftButton, {}, QPoint(200, 10));
    EXPECT_EQ(h.root->selectedListenerID(), ids[1]);
    EXPECT_TRUE(h.list()->hasFocus());
    // The actions button selects and toggles; a second click closes again.
    auto* actions = h.list()->row(ids[2])->findChild<QAbstractButton*>(QStringLiteral("actions"));
    actions->click();
    EXPECT_EQ(h.root->selectedListenerID(), ids[2]);
    EXPECT_EQ(h.root->expandedActionsListenerID(), ids[2]);
    actions->click();
    EXPECT_EQ(h.root->expandedActionsListenerID(), std::nullopt);
    EXPECT_EQ(actions->focusPolicy(), Qt::NoFocus);
}

TEST(PopoverRoot, StatesTakeTheListsPlace) {
    struct Case {
        const char* what;
        std::function<void(PopoverInputs&)> set;
        QString state;
        QString title;
    };
    AgentProcessPresenceSnapshot oneAgent;
    oneAgent.entries.push_back({{{100, 1, 0}, AgentKind::codex}, AgentKind::codex, {}, {}, {}});
    const std::vector<Case> cases = {
        {"nothing", [](PopoverInputs& i) { i.state = resultOf({}); }, QStringLiteral("emptyState"),
         QStringLiteral("No local listeners")},
        {"no match",
         [](PopoverInputs& i) {
             i.state = threeRows();
             i.searchText = "zzz";
         },
         QStringLiteral("noMatchesState"), QStringLiteral("No matching listeners")},
        {"codex filter",
         [oneAgent](PopoverInputs& i) {
             auto r = threeRows();
             r.agentPresence = oneAgent;
             i.state = r;
             i.filter = FilterCategory::codex;
         },
         QStringLiteral("agentSessionState"), QStringLiteral("1 Codex session running")},
        {"scope",
         [](PopoverInputs& i) {
             i.state = threeRows();
             i.exactAgentScope = AgentProcessIdentity{{5, 5, 5}, AgentKind::claude};
         },
         QStringLiteral("exactScopeEmptyState"), QStringLiteral("No ports related to this agent right now")},
    };
    for (const auto& c : cases) {
        PopoverHarness h;
        c.set(h.inputs);
        h.apply();
        ASSERT_NE(h.root->stateView(), nullptr) << c.what;
        EXPECT_EQ(h.root->stateView()->objectName(), c.state) << c.what;
        auto* title = h.root->stateView()->findChild<WrapLabel*>(QStringLiteral("title"));
        ASSERT_NE(title, nullptr) << c.what;
        EXPECT_EQ(title->text(), c.title) << c.what;
    }
    // Failed scan: the message and "Try Again", no mode switch.
    PopoverHarness h;
    h.inputs.state = PortsFailed{"Processes could not be listed."};
    h.apply();
    EXPECT_EQ(h.root->stateView()->objectName(), QStringLiteral("errorState"));
    EXPECT_FALSE(h.root->searchBar()->isVisibleTo(h.root));
    auto* retry = h.root->stateView()->findChild<QAbstractButton*>();
    ASSERT_NE(retry, nullptr);
    retry->click();
    EXPECT_EQ(h.scans, 1);
    // "Clear filters" resets both.
    PopoverHarness m;
    m.inputs.state = threeRows();
    m.inputs.filter = FilterCategory::python;
    m.inputs.searchText = "x";
    m.apply();
    auto* clear = m.root->stateView()->findChild<QAbstractButton*>();
    ASSERT_NE(clear, nullptr);
    clear->click();
    EXPECT_EQ(m.inputs.filter, FilterCategory::all);
    EXPECT_EQ(m.inputs.searchText, "");
}

TEST(PopoverRoot, LoadingAndAgentsMode) {
    for (auto mode : {PanelMode::ports, PanelMode::agents}) {
        PopoverHarness h;
        h.inputs.panelMode = mode;
        h.apply();
        h.show();
        EXPECT_FALSE(h.root->searchBar()->isVisible());
        auto* spinner = h.root->findChild<LoadingIndicator*>();
        ASSERT_NE(spinner, nullptr);
        EXPECT_TRUE(spinner->isVisible());
        EXPECT_TRUE(spinner->isTurning());
    }
    PopoverHarness h;
    h.inputs.state = threeRows();
    h.inputs.panelMode = PanelMode::agents;
    h.inputs.currentAgentSessions = 1;
    h.apply();
    h.show();
    EXPECT_TRUE(h.root->findChild<LoadingIndicator*>()->isHidden() || !h.root->findChild<LoadingIndicator*>()->isVisible());
    EXPECT_EQ(h.root->countLabel()->text(), QStringLiteral("1 agent"));
    EXPECT_EQ(h.root->searchBar()->searchField()->placeholderText(), QStringLiteral("Search agents"));
    EXPECT_FALSE(h.root->footer()->isVisible());
    // The Ports segment switches back.
    h.root->searchBar()->findChild<QAbstractButton*>()->click();
    EXPECT_EQ(h.inputs.panelMode, PanelMode::ports);
    EXPECT_EQ(h.root->countLabel()->text(), QStringLiteral("3 listeners"));
}

TEST(PopoverRoot, BannerAndFirstRun) {
    PopoverHarness h;
    h.inputs.state = threeRows();
    h.inputs.killNotice = "Kill failed.";
    h.inputs.actionNotice = "Connect failed.";
    h.apply();
    EXPECT_FALSE(h.root->banner()->isHidden());
    EXPECT_EQ(h.root->banner()->text(), QStringLiteral("Kill failed."));
    h.update([](PopoverInputs& i) { i.panelMode = PanelMode::agents; });
    EXPECT_EQ(h.root->banner()->text(), QStringLiteral("Connect failed."));
    h.root->banner()->findChild<QAbstractButton*>()->click();
    EXPECT_FALSE(h.inputs.actionNotice);
    EXPECT_EQ(h.root->banner()->text(), QStringLiteral("Kill failed."));

    PopoverHarness fresh;
    fresh.inputs.launchAtLoginOfferCompleted = false;
    fresh.inputs.onboardingComplete = false;
    fresh.inputs.state = threeRows();
    fresh.apply();
    EXPECT_EQ(fresh.root->presentation(), PopoverSurface::launchAtLoginOffer);
    EXPECT_TRUE(fresh.root->countLabel()->isHidden());
    fresh.root->findChild<QWidget*>(QStringLiteral("launchAtLoginOffer"))->findChild<QAbstractButton*>()->click();
    EXPECT_EQ(fresh.root->presentation(), PopoverSurface::walkthrough);
    fresh.root->findChild<QWidget*>(QStringLiteral("walkthrough"))->findChild<QAbstractButton*>()->click();
    EXPECT_EQ(fresh.root->presentation(), PopoverSurface::listenerList);
    EXPECT_EQ(fresh.rowIDs().size(), 3u);
}

}  // namespace
}  // namespace quaylight
