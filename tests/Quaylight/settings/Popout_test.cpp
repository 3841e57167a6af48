// The settings popout on a real settings file: what it shows for empty and corrupt files,
// what each control stores and whom it tells, the choice menus, the shortcut card, the login
// toggle, updates, support and the footer.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QCoreApplication>
#include "Quaylight/design/controls/PremiumCard.h"
#include <QKeyEvent>
#include <QFile>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

#include "PopoutHarness.h"
#include "Quaylight/design/controls/PremiumChoiceTrigger.h"
#include "Quaylight/design/controls/PremiumMenu.h"
#include "Quaylight/design/controls/PremiumSwitch.h"
#include "Quaylight/design/theme/PremiumTheme.h"
#include "Quaylight/settings/views/PlainButton.h"
#include "QuaylightKit/platform/XdgAutostartLoginItem.h"
#include "SettingsTestSupport.h"

namespace quaylight {
namespace {

using test::buttonNamed;
using test::PopoutHarness;
using test::PopoutOptions;
using test::showsText;

std::string fileText(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

PremiumChoiceTrigger* trigger(const QWidget& root, const char* title) {
    for (auto* t : root.findChildren<PremiumChoiceTrigger*>())
        if (t->title() == QString::fromUtf8(title)) return t;
    return nullptr;
}

PremiumSwitch* switchNamed(const QWidget& root, const char* name) {
    for (auto* s : root.findChildren<PremiumSwitch*>())
        if (s->accessibleName() == QString::fromUtf8(name)) return s;
    return nullptr;
}

TEST(SettingsPopout, EmptyFileShowsTheDefaultsAndWritesNoSetting) {
    PopoutHarness h;
    h.build();
    h.view->show();
    EXPECT_EQ(trigger(*h.view, "Open showing")->value(), QStringLiteral("Agents, when active"));
    EXPECT_EQ(trigger(*h.view, "Row size")->value(), QStringLiteral("Comfortable"));
    EXPECT_EQ(trigger(*h.view, "Scan cadence")->value(), QStringLiteral("Balanced"));
    EXPECT_TRUE(switchNamed(*h.view, "Port number")->isChecked());
    for (const char* off : {"CPU usage", "Memory (RAM)", "Power use", "Close after opening", "Tidewatch",
                            "System & background ports", "Open Quaylight at login"})
        EXPECT_FALSE(switchNamed(*h.view, off)->isChecked()) << off;
    EXPECT_TRUE(switchNamed(*h.view, "Keyboard shortcut")->isChecked());
    EXPECT_TRUE(showsText(*h.view, QStringLiteral("Current shortcut: Super+Alt+P")));
    // Showing reads the login item's state into its key, and nothing else is written.
    EXPECT_EQ(h.stored("bool/launchAtLoginEnabled").toString(), QStringLiteral("false"));
    for (const char* key : {"text/display.rowDensity", "text/display.defaultFilter", "bool/display.showPort",
                            "text/display.batteryMode", "bool/display.showAgentActivity"})
        EXPECT_FALSE(h.stored(key).isValid()) << key;
    EXPECT_TRUE(h.events.empty());
}

const char* corruptFile =
    "[text]\n"
    "display.rowDensity=Compact\n"
    "display.defaultFilter=42\n"
    "display.batteryMode=turbo\n"
    "controls.globalShortcut={\"key\": \"k\"\n"
    "[bool]\n"
    "display.showPort=yes\n"
    "display.showAgentActivity=42\n"
    "controls.autoCloseAfterOpening=maybe\n";

TEST(SettingsPopout, CorruptValuesShowTheDefaultsAndStayUntilChanged) {
    PopoutHarness h({corruptFile});
    const QVariant brokenShortcut = h.stored("text/controls.globalShortcut");
    h.build();
    h.view->show();
    EXPECT_TRUE(showsText(*h.view, QStringLiteral("Your saved shortcut couldn't be read, so Quaylight is using Super+Alt+P.")));
    EXPECT_EQ(trigger(*h.view, "Open showing")->value(), QStringLiteral("Agents, when active"));
    EXPECT_EQ(trigger(*h.view, "Row size")->value(), QStringLiteral("Comfortable"));
    EXPECT_EQ(trigger(*h.view, "Scan cadence")->value(), QStringLiteral("Balanced"));
    EXPECT_TRUE(switchNamed(*h.view, "Port number")->isChecked());
    EXPECT_FALSE(switchNamed(*h.view, "Tidewatch")->isChecked());
    EXPECT_FALSE(switchNamed(*h.view, "Close after opening")->isChecked());
    EXPECT_TRUE(showsText(*h.view, QStringLiteral("Current shortcut: Super+Alt+P")));
    const auto before = h.stored("text/display.defaultFilter");
    EXPECT_EQ(h.stored("text/display.rowDensity").toString(), QStringLiteral("Compact"));
    EXPECT_EQ(h.stored("bool/display.showPort").toString(), QStringLiteral("yes"));
    EXPECT_EQ(h.stored("bool/display.showAgentActivity").toString(), QStringLiteral("42"));
    EXPECT_EQ(h.stored("text/display.batteryMode").toString(), QStringLiteral("turbo"));
    EXPECT_TRUE(h.stored("text/controls.globalShortcut").isValid());

    // Changing one setting replaces only that one.
    h.view->toggleChoiceMenu(SettingsChoiceMenu::rowDensity);
    h.view->moveChoiceHighlight(1);
    h.view->activateHighlightedChoice();
    EXPECT_EQ(h.stored("text/display.rowDensity").toString(), QStringLiteral("compact"));
    EXPECT_EQ(h.stored("text/display.defaultFilter"), before);
    EXPECT_EQ(h.stored("text/display.batteryMode").toString(), QStringLiteral("turbo"));
    EXPECT_EQ(h.stored("bool/display.showAgentActivity").toString(), QStringLiteral("42"));
    EXPECT_EQ(h.stored("text/controls.globalShortcut"), brokenShortcut);
    EXPECT_EQ(h.stored("bool/display.showPort").toString(), QStringLiteral("yes"));
}

TEST(SettingsPopout, EachControlStoresItsKeyAndTellsOnlyWhomItShould) {
    struct Case {
        const char* what;
        std::function<void(SettingsPopoutView&)> act;
        const char* key;
        const char* value;
        int displayCalls;
        int showSystemCalls;
    };
    auto chooseRow = [](SettingsChoiceMenu menu, int row) {
        return [menu, row](SettingsPopoutView& view) {
            view.toggleChoiceMenu(menu);
            auto rows = view.choiceMenuSurface()->findChildren<PremiumMenuButton*>();
            rows.at(row)->click();
        };
    };
    auto flip = [](const char* name) {
        return [name](SettingsPopoutView& view) { switchNamed(view, name)->click(); };
    };
    const std::vector<Case> cases{
        {"Open showing: Ports", chooseRow(SettingsChoiceMenu::defaultFilter, 1), "text/display.defaultFilter", "all", 0, 0},
        {"Open showing: Last view", chooseRow(SettingsChoiceMenu::defaultFilter, 2), "text/display.defaultFilter",
         "lastUsed", 0, 0},
        {"Row size: Compact", chooseRow(SettingsChoiceMenu::rowDensity, 1), "text/display.rowDensity", "compact", 1, 0},
        {"Scan cadence: Battery Saver", chooseRow(SettingsChoiceMenu::batteryMode, 1), "text/display.batteryMode",
         "batterySaver", 0, 0},
        {"System rows", flip("System & background ports"), "bool/display.showSystemRows", "true", 0, 1},
        {"Close after opening", flip("Close after opening"), "bool/controls.autoCloseAfterOpening", "true", 0, 0},
        {"Tidewatch", flip("Tidewatch"), "bool/display.showAgentActivity", "true", 0, 0},
        {"CPU tile", flip("CPU usage"), "bool/display.showCPU", "true", 1, 0},
        {"Port tile", flip("Port number"), "bool/display.showPort", "false", 1, 0},
        {"Power tile", flip("Power use"), "bool/display.showPower", "true", 1, 0},
    };
    for (const auto& c : cases) {
        PopoutHarness h;
        h.build();
        h.view->show();
        c.act(*h.view);
        EXPECT_EQ(h.stored(c.key).toString(), QString::fromUtf8(c.value)) << c.what;
        EXPECT_EQ(h.count("display"), c.displayCalls) << c.what;
        EXPECT_EQ(h.count("showSystem"), c.showSystemCalls) << c.what;
        EXPECT_EQ(h.count("replay") + h.count("quit") + h.count("close"), 0) << c.what;
    }
}

TEST(SettingsPopout, ATileWritesAllNineFlags) {
    PopoutHarness h;
    h.build();
    switchNamed(*h.view, "Memory (RAM)")->click();
    const std::vector<std::pair<const char*, const char*>> expected{
        {"bool/display.showPort", "true"},     {"bool/display.showCPU", "false"},    {"bool/display.showMemory", "true"},
        {"bool/display.showPath", "false"},    {"bool/display.showHost", "false"},   {"bool/display.showProject", "false"},
        {"bool/display.showUptime", "false"},  {"bool/display.showPower", "false"},  {"bool/display.showPowerLabels", "false"}};
    for (const auto& [key, value] : expected) EXPECT_EQ(h.stored(key).toString(), QString::fromUtf8(value)) << key;
    EXPECT_EQ(h.count("display"), 1);
}

TEST(SettingsPopout, PowerWordsTileFollowsPowerButKeepsItsFlag) {
    PopoutHarness h({"[bool]\ndisplay.showPowerLabels=true\n"});
    h.build();
    auto* words = switchNamed(*h.view, "Power words (Low / Medium / High)");
    EXPECT_TRUE(words->isChecked());
    EXPECT_FALSE(words->isEnabledTo(h.view.get()));
    switchNamed(*h.view, "Power use")->click();
    EXPECT_TRUE(words->isEnabledTo(h.view.get()));
    EXPECT_TRUE(words->isChecked());
    switchNamed(*h.view, "Power use")->click();
    EXPECT_FALSE(words->isEnabledTo(h.view.get()));
    EXPECT_EQ(h.stored("bool/display.showPowerLabels").toString(), QStringLiteral("true"));
}

TEST(SettingsPopout, ChoiceMenusByKeyAndClick) {
    PopoutHarness h({"[text]\ndisplay.defaultFilter=lastUsed\n"});
    h.build();
    h.view->show();
    auto* openShowing = trigger(*h.view, "Open showing");
    openShowing->click();
    ASSERT_EQ(h.view->activeChoiceMenu(), SettingsChoiceMenu::defaultFilter);
    EXPECT_EQ(h.view->choiceHighlightedIndex(), 2);  // the stored "Last view"
    EXPECT_TRUE(openShowing->isExpanded());
    EXPECT_EQ(h.view->choiceMenuSurface()->accessibleName(), QStringLiteral("Open showing choices"));
    // Meanwhile the column of cards is hidden from assistive technologies.
    QWidget* column = nullptr;
    for (auto* w : h.view->findChildren<QWidget*>())
        if (w->accessibleName() == QStringLiteral("Settings cards")) column = w;
    ASSERT_NE(column, nullptr);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(column)->childCount(), 0);
    EXPECT_TRUE(QAccessible::queryAccessibleInterface(column)->state().invisible);
    auto* surface = h.view->choiceMenuSurface();
    QTest::keyClick(surface, Qt::Key_Down);
    EXPECT_EQ(h.view->choiceHighlightedIndex(), 0);  // wraps to the first row
    QTest::keyClick(surface, Qt::Key_Up);
    EXPECT_EQ(h.view->choiceHighlightedIndex(), 2);  // and back to the last
    QTest::keyClick(surface, Qt::Key_Up);
    QTest::keyClick(surface, Qt::Key_Return);
    EXPECT_FALSE(h.view->activeChoiceMenu());
    EXPECT_GT(QAccessible::queryAccessibleInterface(column)->childCount(), 0);
    EXPECT_EQ(openShowing->value(), QStringLiteral("Ports"));
    EXPECT_EQ(h.stored("text/display.defaultFilter").toString(), QStringLiteral("all"));

    // Escape closes and changes nothing.
    trigger(*h.view, "Row size")->click();
    QTest::keyClick(h.view->choiceMenuSurface(), Qt::Key_Down);
    QTest::keyClick(h.view->choiceMenuSurface(), Qt::Key_Escape);
    EXPECT_FALSE(h.view->activeChoiceMenu());
    EXPECT_FALSE(h.stored("text/display.rowDensity").isValid());

    // A second click on the open menu's trigger closes it; another trigger switches menus.
    trigger(*h.view, "Row size")->click();
    trigger(*h.view, "Row size")->click();
    EXPECT_FALSE(h.view->activeChoiceMenu());
    trigger(*h.view, "Row size")->click();
    trigger(*h.view, "Scan cadence")->click();
    EXPECT_EQ(h.view->activeChoiceMenu(), SettingsChoiceMenu::batteryMode);
    EXPECT_EQ(h.view->choiceHighlightedIndex(), 0);

    // Hovering a row moves the highlight there; Return then chooses it.
    auto rows = h.view->choiceMenuSurface()->findChildren<PremiumMenuButton*>();
    emit rows.at(1)->hoverChanged(true);
    EXPECT_EQ(h.view->choiceHighlightedIndex(), 1);
    QTest::keyClick(h.view->choiceMenuSurface(), Qt::Key_Return);
    EXPECT_EQ(h.stored("text/display.batteryMode").toString(), QStringLiteral("batterySaver"));

    // A click outside the menu closes it and changes nothing.
    trigger(*h.view, "Row size")->click();
    QTest::mouseClick(h.view.get(), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseClick(h.view->childAt(QPoint(5, 5)), Qt::LeftButton, {}, QPoint(1, 1));
    EXPECT_FALSE(h.view->activeChoiceMenu());
    EXPECT_FALSE(h.stored("text/display.rowDensity").isValid());
    EXPECT_EQ(h.count("display"), 0);
}

TEST(SettingsPopout, ChoiceValuesAndTheHighlightedChoiceReachAssistiveTechnologies) {
    PopoutHarness h;
    h.build();
    h.view->show();
    QApplication::setActiveWindow(h.view.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(h.view.get()));
    auto* rowSize = trigger(*h.view, "Row size");
    auto* openShowing = trigger(*h.view, "Open showing");
    auto* sizeText = QAccessible::queryAccessibleInterface(rowSize)->textInterface();
    ASSERT_NE(sizeText, nullptr);
    EXPECT_EQ(sizeText->text(0, -1), QStringLiteral("Comfortable"));
    ASSERT_NE(QAccessible::queryAccessibleInterface(openShowing)->textInterface(), nullptr);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(openShowing)->textInterface()->text(0, -1), openShowing->value());

    rowSize->click();
    QApplication::processEvents();  // the menu takes the keyboard once on screen
    auto* surface = h.view->choiceMenuSurface();
    ASSERT_TRUE(surface->hasFocus());
    const auto rows = surface->findChildren<PremiumMenuButton*>();
    ASSERT_EQ(rows.size(), 2);
    const auto focused = [&](int i) { return QAccessible::queryAccessibleInterface(rows.at(i))->state().focused; };
    EXPECT_TRUE(focused(0));  // the current choice, highlighted
    EXPECT_FALSE(focused(1));
    QTest::keyClick(surface, Qt::Key_Down);
    EXPECT_FALSE(focused(0));
    EXPECT_TRUE(focused(1));
    EXPECT_TRUE(QAccessible::queryAccessibleInterface(rows.at(0))->state().selected);  // still the chosen one
    QTest::keyClick(surface, Qt::Key_Return);
    EXPECT_EQ(sizeText->text(0, -1), QStringLiteral("Compact"));
}

TEST(SettingsPopout, MenuOpensBelowItsTriggerInsideThePopout) {
    PopoutHarness h;
    h.build();
    h.view->show();
    trigger(*h.view, "Row size")->click();
    auto* surface = h.view->choiceMenuSurface();
    const QRect triggerRect = collectChoiceAnchors(h.view.get()).at(QStringLiteral("settings.row-density"));
    EXPECT_EQ(surface->geometry().right() + 1, triggerRect.right() + 1);
    EXPECT_EQ(surface->geometry().top(), triggerRect.bottom() + 1 + 4);
    // Drawn where it stands, on the panel's colour: moving it into a frame would hide it,
    // and a hidden popout closes its menu.
    test::saveToGallery(test::render(*h.view, 2.0, PremiumTheme::panelTop()), QStringLiteral("popout-menu-open"));
    EXPECT_EQ(h.view->activeChoiceMenu(), SettingsChoiceMenu::rowDensity);
}

TEST(SettingsPopout, ShortcutCardEdgeCases) {
    PopoutHarness h;
    h.build();
    auto* key = h.view->findChild<QLineEdit*>();
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->accessibleName(), QStringLiteral("Shortcut key"));
    EXPECT_EQ(key->text(), QStringLiteral("P"));

    // Typing in front of the shown letter takes the typed key.
    key->setFocus();
    key->setCursorPosition(0);
    QTest::keyClicks(key, QStringLiteral("k"));
    EXPECT_EQ(h.shortcut->preference().key, "k");
    EXPECT_EQ(key->text(), QStringLiteral("K"));
    EXPECT_TRUE(showsText(*h.view, QStringLiteral("Current shortcut: Super+Alt+K")));

    // An unsupported key keeps the stored one and says why.
    key->setCursorPosition(1);
    QKeyEvent typed(QEvent::KeyPress, Qt::Key_Eacute, Qt::NoModifier, QStringLiteral("é"));
    QApplication::sendEvent(key, &typed);
    EXPECT_EQ(h.shortcut->preference().key, "k");
    EXPECT_EQ(key->text(), QStringLiteral("K"));
    EXPECT_TRUE(showsText(*h.view, QStringLiteral("Choose a letter, number, or punctuation key.")));

    // The last modifier cannot be switched off.
    buttonNamed(*h.view, QStringLiteral("Super modifier"))->click();
    EXPECT_TRUE(showsText(*h.view, QStringLiteral("Current shortcut: Alt+K")));
    auto* alt = buttonNamed(*h.view, QStringLiteral("Alt modifier"));
    EXPECT_EQ(alt->accessibleDescription(), QStringLiteral("On"));
    alt->click();
    EXPECT_TRUE(showsText(*h.view, QStringLiteral("Choose at least one modifier.")));
    EXPECT_EQ(alt->accessibleDescription(), QStringLiteral("On"));
    EXPECT_EQ(h.keyGrab->grabbed->modifiers, std::set<GlobalShortcutModifier>{GlobalShortcutModifier::option});

    // Nor can the last one besides Shift: the refusal says which modifiers would do.
    buttonNamed(*h.view, QStringLiteral("Shift modifier"))->click();
    EXPECT_TRUE(showsText(*h.view, QStringLiteral("Current shortcut: Alt+Shift+K")));
    alt->click();
    EXPECT_TRUE(showsText(*h.view, QStringLiteral("Shift alone is not enough; choose Super, Alt or Ctrl too.")));
    EXPECT_EQ(alt->accessibleDescription(), QStringLiteral("On"));
    EXPECT_EQ(h.keyGrab->grabbed->modifiers,
              (std::set<GlobalShortcutModifier>{GlobalShortcutModifier::option, GlobalShortcutModifier::shift}));

    // Switching off clears the error, hides the editor and releases the grab.
    switchNamed(*h.view, "Keyboard shortcut")->click();
    EXPECT_TRUE(showsText(*h.view, QStringLiteral("Shortcut is turned off")));
    EXPECT_FALSE(key->isVisibleTo(h.view.get()));
    EXPECT_FALSE(h.view->findChild<QLabel*>(QStringLiteral("shortcutError"))->isVisibleTo(h.view.get()));
    EXPECT_FALSE(h.keyGrab->grabbed);
    EXPECT_EQ(h.stored("bool/controls.globalShortcutEnabled").toString(), QStringLiteral("false"));

    // Reset while off switches it on with Super+Alt+P.
    switchNamed(*h.view, "Keyboard shortcut")->click();
    buttonNamed(*h.view, QStringLiteral("Reset"))->click();
    switchNamed(*h.view, "Keyboard shortcut")->click();  // off again
    h.shortcut->restoreDefault();
    EXPECT_TRUE(switchNamed(*h.view, "Keyboard shortcut")->isChecked());
    EXPECT_TRUE(showsText(*h.view, QStringLiteral("Current shortcut: Super+Alt+P")));
    EXPECT_TRUE(h.keyGrab->grabbed);

    // A shortcut another program holds.
    h.keyGrab->nextResult = KeyGrabBackend::GrabResult::alreadyInUse;
    buttonNamed(*h.view, QStringLiteral("Ctrl modifier"))->click();
    EXPECT_TRUE(showsText(*h.view, QStringLiteral("That shortcut is already in use by another app.")));
}

TEST(SettingsPopout, ModifierButtonsAreWideEnoughForTheirWords) {
    PopoutHarness h;
    h.build();
    for (const char* word : {"Super", "Alt", "Ctrl", "Shift"}) {
        auto* button = static_cast<settings::PlainButton*>(
            buttonNamed(*h.view, QString::fromUtf8(word) + QStringLiteral(" modifier")));
        ASSERT_NE(button, nullptr) << word;
        EXPECT_EQ(button->text(), QString::fromUtf8(word));
        EXPECT_GE(button->sizeHint().width(), 30);
        EXPECT_GT(button->sizeHint().width(), QFontMetrics(button->font()).horizontalAdvance(button->text()));
    }
}

using Status = LoginItem::Status;

TEST(SettingsPopout, LoginToggleOutcomes) {
    struct Case {
        const char* what;
        Status before;
        bool refuseAdd, needsApproval, refuseRemove, removeKeeps;
        Status statusAfterAttempt;  // only where an attempt leaves the item so
        bool toggleOn;
        std::optional<std::string> caption;
        bool approvalButton;
        int settingsOpened;
    };
    const std::string approval(LaunchAtLoginReconciler::approvalCaption);
    const std::string addFailed(LaunchAtLoginReconciler::addFailedCaption);
    const std::string removeFailed(LaunchAtLoginReconciler::removeFailedCaption);
    const std::vector<Case> cases{
        {"on, enabled", Status::notRegistered, false, false, false, false, Status::enabled, true, std::nullopt, false, 0},
        {"on, needs approval", Status::notRegistered, false, true, false, false, Status::requiresApproval, false, approval,
         true, 1},
        {"on, refused", Status::notRegistered, true, false, false, false, Status::notRegistered, false, addFailed, false, 0},
        {"off, removed", Status::enabled, false, false, false, false, Status::notRegistered, false, std::nullopt, false, 0},
        {"off, refused", Status::enabled, false, false, true, false, Status::enabled, true, removeFailed, false, 0},
        {"off, item stays", Status::enabled, false, false, false, true, Status::enabled, true, removeFailed, false, 0},
    };
    for (const auto& c : cases) {
        PopoutHarness h;
        h.fakeItem->current = c.before;
        h.fakeItem->refuseAdd = c.refuseAdd;
        h.fakeItem->addNeedsApproval = c.needsApproval;
        h.fakeItem->refuseRemove = c.refuseRemove;
        h.fakeItem->removeKeepsItem = c.removeKeeps;
        h.build();
        h.view->show();
        auto* toggle = switchNamed(*h.view, "Open Quaylight at login");
        EXPECT_EQ(toggle->isChecked(), c.before == Status::enabled) << c.what;
        toggle->click();
        EXPECT_EQ(toggle->isChecked(), c.toggleOn) << c.what;
        EXPECT_EQ(h.view->launchAtLoginOn(), c.toggleOn) << c.what;
        EXPECT_EQ(h.view->startupFailureCaption().has_value(), c.caption.has_value()) << c.what;
        if (c.caption) {
            EXPECT_EQ(h.view->startupFailureCaption()->toStdString(), *c.caption) << c.what;
            EXPECT_TRUE(showsText(*h.view, QString::fromStdString(*c.caption))) << c.what;
        }
        EXPECT_EQ(buttonNamed(*h.view, QStringLiteral("Open Autostart Settings")) != nullptr, c.approvalButton) << c.what;
        EXPECT_EQ(int(h.openedUrls.size()), c.settingsOpened) << c.what;
        EXPECT_EQ(h.stored("bool/launchAtLoginEnabled").toString(),
                  h.fakeItem->current == Status::enabled ? QStringLiteral("true") : QStringLiteral("false"))
            << c.what;
        // An approval answer is never followed by an unregister.
        if (c.needsApproval) {
            EXPECT_EQ(h.fakeItem->removes, 0) << c.what;
        }
    }
}

TEST(SettingsPopout, ReconcileShowsTheSystemStateWithoutRequests) {
    PopoutHarness h({"[bool]\nlaunchAtLoginEnabled=true\n"});
    h.fakeItem->current = Status::requiresApproval;
    h.build();
    h.view->show();
    auto* toggle = switchNamed(*h.view, "Open Quaylight at login");
    EXPECT_FALSE(toggle->isChecked());
    EXPECT_TRUE(showsText(*h.view, QString::fromUtf8(LaunchAtLoginReconciler::approvalCaption.data())));
    EXPECT_EQ(h.fakeItem->adds + h.fakeItem->removes, 0);
    EXPECT_EQ(h.stored("bool/launchAtLoginEnabled").toString(), QStringLiteral("false"));
    buttonNamed(*h.view, QStringLiteral("Open Autostart Settings"))->click();
    ASSERT_EQ(h.openedUrls.size(), 1u);
    EXPECT_EQ(h.openedUrls[0], QUrl::fromLocalFile(QString::fromStdString(h.configHome() + "/autostart")));

    // Approved elsewhere; coming back to the application shows it on, with no request.
    h.fakeItem->current = Status::enabled;
    h.view->reconcileLaunchAtLogin();
    EXPECT_TRUE(toggle->isChecked());
    EXPECT_FALSE(h.view->startupFailureCaption());
    EXPECT_EQ(buttonNamed(*h.view, QStringLiteral("Open Autostart Settings")), nullptr);
    EXPECT_EQ(h.fakeItem->adds + h.fakeItem->removes, 0);
    EXPECT_EQ(h.stored("bool/launchAtLoginEnabled").toString(), QStringLiteral("true"));
}

TEST(SettingsPopout, AssistiveToggleOfTheLoginSwitchAndAModifierActs) {
    PopoutHarness h;
    h.build();
    h.view->show();
    auto* login = QAccessible::queryAccessibleInterface(switchNamed(*h.view, "Open Quaylight at login"));
    login->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_EQ(h.fakeItem->adds, 1);
    EXPECT_TRUE(login->state().checked);
    auto* ctrl = QAccessible::queryAccessibleInterface(buttonNamed(*h.view, QStringLiteral("Ctrl modifier")));
    EXPECT_EQ(ctrl->role(), QAccessible::CheckBox);
    EXPECT_FALSE(ctrl->state().checked);
    ctrl->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(h.shortcut->preference().modifiers.contains(GlobalShortcutModifier::control));
    EXPECT_TRUE(ctrl->state().checked);
}

TEST(SettingsPopout, BecomingActiveReconcilesAndHidingClosesTheMenu) {
    PopoutHarness h;
    h.build();
    h.view->show();
    auto* toggle = switchNamed(*h.view, "Open Quaylight at login");
    EXPECT_FALSE(toggle->isChecked());
    h.fakeItem->current = Status::enabled;  // turned on in the desktop's settings
    emit qApp->applicationStateChanged(Qt::ApplicationActive);
    EXPECT_TRUE(toggle->isChecked());
    EXPECT_EQ(h.fakeItem->adds + h.fakeItem->removes, 0);

    h.view->toggleChoiceMenu(SettingsChoiceMenu::batteryMode);
    h.view->hide();
    EXPECT_FALSE(h.view->activeChoiceMenu());
    EXPECT_FALSE(h.stored("text/display.batteryMode").isValid());
}

TEST(SettingsPopout, AutostartEntryOnTheRealConfigHome) {
    PopoutOptions options;
    options.realAutostart = true;
    PopoutHarness h(options);
    h.build();
    h.view->show();
    const std::string entry = h.configHome() + "/autostart/quaylight.desktop";
    auto* toggle = switchNamed(*h.view, "Open Quaylight at login");
    toggle->click();
    EXPECT_TRUE(toggle->isChecked());
    const auto text = fileText(entry);
    EXPECT_EQ(XdgAutostartLoginItem::launchedProgram(text), InstalledExecutable::path()) << text;
    toggle->click();
    EXPECT_FALSE(toggle->isChecked());
    struct stat info {};
    EXPECT_NE(::stat(entry.c_str(), &info), 0);
    EXPECT_FALSE(h.view->startupFailureCaption());
}

TEST(SettingsPopout, AutostartFolderThatIsAFileFailsAndIsLeftAlone) {
    PopoutOptions options;
    options.realAutostart = true;
    PopoutHarness h(options);
    const std::string blocker = h.configHome() + "/autostart";
    { std::ofstream(blocker) << "not a folder\n"; }
    h.build();
    h.view->show();
    auto* toggle = switchNamed(*h.view, "Open Quaylight at login");
    toggle->click();
    EXPECT_FALSE(toggle->isChecked());
    EXPECT_TRUE(showsText(*h.view,
                          QStringLiteral("Couldn't add Quaylight to autostart. Try your desktop's autostart settings.")));
    EXPECT_EQ(fileText(blocker), "not a folder\n");
    EXPECT_EQ(h.stored("bool/launchAtLoginEnabled").toString(), QStringLiteral("false"));
}

// Decodes %XX escapes, as a mail program reads the link.
std::string percentDecoded(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            out += char(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string queryValue(const std::string& url, const std::string& name) {
    const auto query = url.substr(url.find('?') + 1);
    std::size_t start = 0;
    while (start < query.size()) {
        auto end = query.find('&', start);
        if (end == std::string::npos) end = query.size();
        const auto item = query.substr(start, end - start);
        if (item.rfind(name + "=", 0) == 0) return percentDecoded(item.substr(name.size() + 1));
        start = end + 1;
    }
    return "<missing>";
}

TEST(SettingsPopout, SupportMailDecodesToSubjectAndBody) {
    struct Case {
        std::optional<std::string> version;
        std::string subject;
        std::string body;
    };
    const std::vector<Case> cases{
        {"1.4.0", "Quaylight 1.4.0 feedback",
         "What can we help with?\r\n\r\nLinux: Debian GNU/Linux 12 (bookworm)\r\nQuaylight: 1.4.0\r\n"},
        {std::nullopt, "Quaylight feedback",
         "What can we help with?\r\n\r\nLinux: Debian GNU/Linux 12 (bookworm)\r\nQuaylight: unknown\r\n"},
        {"2.0?beta/1&x=y", "Quaylight 2.0?beta/1&x=y feedback",
         "What can we help with?\r\n\r\nLinux: Debian GNU/Linux 12 (bookworm)\r\nQuaylight: 2.0?beta/1&x=y\r\n"},
    };
    for (const auto& c : cases) {
        PopoutOptions options;
        options.supportAddress = "help@example.org";
        options.version = c.version;
        PopoutHarness h(options);
        h.build();
        auto* email = buttonNamed(*h.view, QStringLiteral("Email Support"));
        ASSERT_TRUE(email->isEnabled());
        email->click();
        ASSERT_EQ(h.openedUrls.size(), 1u);
        const std::string url = h.openedUrls[0].toString(QUrl::FullyEncoded).toStdString();
        EXPECT_EQ(url.rfind("mailto:help@example.org?subject=", 0), 0u) << url;
        const auto query = url.substr(url.find('?') + 1);
        EXPECT_EQ(std::count(query.begin(), query.end(), '?'), 0) << url;
        EXPECT_EQ(std::count(query.begin(), query.end(), '/'), 0) << url;
        EXPECT_EQ(queryValue(url, "subject"), c.subject);
        EXPECT_EQ(queryValue(url, "body"), c.body);
    }
}

TEST(SettingsPopout, SpeaksOfTheTrayNotTheMenuBar) {
    PopoutHarness h;
    h.build();
    EXPECT_EQ(test::labelsContaining(*h.view, QStringLiteral("menu bar")), QStringList());
    EXPECT_TRUE(showsText(*h.view, QStringLiteral("Ready in the tray when you sign in")));
}

TEST(SettingsPopout, NoSupportAddressDimsTheButton) {
    PopoutHarness h;
    h.build();
    auto* email = buttonNamed(*h.view, QStringLiteral("Email Support"));
    EXPECT_FALSE(email->isEnabled());
    EXPECT_TRUE(showsText(*h.view, QStringLiteral("No support address is configured in this build.")));
    email->click();
    EXPECT_TRUE(h.openedUrls.empty());
}

TEST(SettingsPopout, UpdatesCardWithoutAFeed) {
    PopoutHarness h;
    h.build();
    EXPECT_TRUE(showsText(*h.view, QStringLiteral("No update feed is configured in this build.")));
    EXPECT_TRUE(showsText(*h.view, QStringLiteral("Update Quaylight the same way you installed it.")));
    auto* check = static_cast<settings::PlainButton*>(buttonNamed(*h.view, QStringLiteral("Check for updates")));
    ASSERT_NE(check, nullptr);
    EXPECT_FALSE(check->isEnabled());
    EXPECT_DOUBLE_EQ(check->look().disabledOpacity, 0.45);
    check->click();
    EXPECT_EQ(h.updater.checks, 0);
    EXPECT_FALSE(h.updater.downloads);
    EXPECT_EQ(h.updater.interval, std::chrono::seconds(604800));
}

TEST(SettingsPopout, UpdatesButtonFollowsTheUpdater) {
    PopoutOptions options;
    options.feed = true;
    PopoutHarness h(options);
    h.build();
    auto* check = buttonNamed(*h.view, QStringLiteral("Check for updates"));
    EXPECT_TRUE(check->isEnabled());
    check->click();
    EXPECT_EQ(h.updater.checks, 1);
    h.updater.setCanCheck(false);  // a check runs
    EXPECT_FALSE(check->isEnabled());
    check->click();
    EXPECT_EQ(h.updater.checks, 1);
}

// A release feed in a file of the harness's home, as a file:// address.
QString writeFeed(const PopoutHarness& h, const QByteArray& text) {
    const QString path = h.home.path() + QStringLiteral("/appcast.xml");
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
    return QUrl::fromLocalFile(path).toString();
}

QByteArray feedWith(const QByteArray& version, const QByteArray& link) {
    return "<?xml version=\"1.0\"?>\n<rss version=\"2.0\" "
           "xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\"><channel><item><title>Quaylight " +
           version + "</title><link>" + link + "</link><sparkle:shortVersionString>" + version +
           "</sparkle:shortVersionString></item></channel></rss>";
}

// Clicks "Check for Updates…" and waits for the updater's answer to reach the card.
void checkThroughTheCard(PopoutHarness& h) {
    QSignalSpy answered(h.updaterModel.get(), &UpdaterViewModel::lastResultChanged);
    auto* check = buttonNamed(*h.view, QStringLiteral("Check for updates"));
    ASSERT_NE(check, nullptr);
    ASSERT_TRUE(check->isEnabled());
    check->click();
    EXPECT_FALSE(check->isEnabled());  // while the feed is read
    ASSERT_TRUE(answered.wait(20000));
    EXPECT_TRUE(check->isEnabled());
}

QString resultText(const PopoutHarness& h) {
    auto* label = h.view->findChild<QLabel*>(QStringLiteral("updateResultText"));
    return label != nullptr && label->isVisibleTo(h.view.get()) ? label->text() : QString();
}

// The updates card as laid out in the whole column, for the gallery.
void saveUpdatesCard(PopoutHarness& h, const QString& name) {
    h.view->show();
    h.view->resize(668, 2400);
    QCoreApplication::processEvents();
    auto* card = h.view->findChild<QWidget*>(QStringLiteral("updatesCard"));
    ASSERT_NE(card, nullptr);
    const QImage whole = test::render(*h.view, 2.0, PremiumTheme::panelTop());
    const QRect area(card->mapTo(h.view.get(), QPoint(0, 0)), card->size());
    test::saveToGallery(whole.copy(QRect(area.topLeft() * 2, area.size() * 2).adjusted(-16, -16, 16, 16)), name);
}

TEST(SettingsPopout, UpdatesCardSaysNothingBeforeACheck) {
    PopoutHarness h;
    h.build();
    EXPECT_EQ(resultText(h), QString());
    EXPECT_EQ(buttonNamed(*h.view, QStringLiteral("View Release")), nullptr);
}

TEST(SettingsPopout, UpdatesCardShowsANewerReleaseAndOpensItsPage) {
    PopoutHarness checked;
    checked.useFeed(writeFeed(checked, feedWith("1.5.0", "https://example.com/quaylight/1.5.0")));
    checked.build();
    checkThroughTheCard(checked);
    EXPECT_EQ(resultText(checked), QStringLiteral("Quaylight 1.5.0 is available."));
    EXPECT_TRUE(showsText(*checked.view, QStringLiteral("Checks weekly and only tells you; it never installs anything.")));
    auto* release = buttonNamed(*checked.view, QStringLiteral("View Release"));
    ASSERT_NE(release, nullptr);
    release->click();
    ASSERT_FALSE(checked.openedUrls.empty());
    EXPECT_EQ(checked.openedUrls.back(), QUrl(QStringLiteral("https://example.com/quaylight/1.5.0")));
    // The next popout, built after the check, shows the same answer.
    checked.build();
    EXPECT_EQ(resultText(checked), QStringLiteral("Quaylight 1.5.0 is available."));
    saveUpdatesCard(checked, QStringLiteral("card-updates-available"));
}

TEST(SettingsPopout, UpdatesCardSaysWhenQuaylightIsUpToDate) {
    for (const QByteArray& version : {QByteArray("1.4.0"), QByteArray("1.3.9")}) {
        PopoutHarness checked;
        checked.useFeed(writeFeed(checked, feedWith(version, "https://example.com/quaylight")));
        checked.build();
        checkThroughTheCard(checked);
        EXPECT_EQ(resultText(checked), QStringLiteral("Quaylight is up to date.")) << version.constData();
        EXPECT_EQ(buttonNamed(*checked.view, QStringLiteral("View Release")), nullptr);
    }
}

TEST(SettingsPopout, UpdatesCardGivesTheFailuresReason) {
    PopoutHarness unreadable;
    unreadable.useFeed(QUrl::fromLocalFile(unreadable.home.path() + QStringLiteral("/none.xml")).toString());
    unreadable.build();
    checkThroughTheCard(unreadable);
    EXPECT_TRUE(resultText(unreadable).startsWith(QStringLiteral("Quaylight couldn't read its update feed (file://")))
        << resultText(unreadable).toStdString();

    PopoutHarness wrong;
    wrong.useFeed(writeFeed(wrong, "<html>not a feed</html>"));
    wrong.build();
    checkThroughTheCard(wrong);
    EXPECT_TRUE(resultText(wrong).endsWith(QStringLiteral("lists no release Quaylight can read.")))
        << resultText(wrong).toStdString();
    EXPECT_EQ(buttonNamed(*wrong.view, QStringLiteral("View Release")), nullptr);
    saveUpdatesCard(wrong, QStringLiteral("card-updates-failed"));
}

TEST(SettingsPopout, AReleaseLinkThatIsNoWebPageIsNotOffered) {
    for (const QByteArray& link : {QByteArray("file:///etc/passwd"), QByteArray("javascript:alert(1)"), QByteArray("")}) {
        PopoutHarness checked;
        checked.useFeed(writeFeed(checked, feedWith("2.0.0", link)));
        checked.build();
        checkThroughTheCard(checked);
        EXPECT_EQ(resultText(checked), QStringLiteral("Quaylight 2.0.0 is available.")) << link.constData();
        EXPECT_EQ(buttonNamed(*checked.view, QStringLiteral("View Release")), nullptr) << link.constData();
        EXPECT_TRUE(checked.openedUrls.empty());
    }
}

TEST(SettingsPopout, FooterReplayClosesFirstAndQuitQuits) {
    PopoutHarness h;
    h.build();
    buttonNamed(*h.view, QStringLiteral("Replay welcome tour"))->click();
    EXPECT_EQ(h.events, (std::vector<std::string>{"close", "replay"}));
    buttonNamed(*h.view, QStringLiteral("Quit Quaylight"))->click();
    EXPECT_EQ(h.count("quit"), 1);
    EXPECT_TRUE(showsText(*h.view, QStringLiteral("VERSION 1.4.0")));
    EXPECT_TRUE(showsText(*h.view, QStringLiteral("Scanned 3:04:05 PM")));
}

TEST(SettingsPopout, NoVersionNoVersionText) {
    PopoutOptions options;
    options.version = std::nullopt;
    PopoutHarness h(options);
    h.build();
    EXPECT_EQ(h.view->findChild<QLabel*>(QStringLiteral("versionText")), nullptr);
}

TEST(SettingsPopout, GalleryOfTheWholeColumn) {
    PopoutOptions options;
    options.supportAddress = "help@example.org";
    options.feed = true;
    PopoutHarness h(options);
    h.fakeItem->current = Status::requiresApproval;
    h.build();
    h.view->show();
    QWidget* column = nullptr;
    for (auto* w : h.view->findChildren<QWidget*>())
        if (w->accessibleName() == QStringLiteral("Settings cards")) column = w;
    ASSERT_NE(column, nullptr);
    const int height = column->sizeHint().height();
    h.view->resize(668, height);
    QCoreApplication::processEvents();
    // Each card on its own, cut from the whole column.
    const QImage whole = test::render(*h.view, 2.0, PremiumTheme::panelTop());
    int index = 0;
    for (auto* card : column->findChildren<PremiumCard*>(QString(), Qt::FindDirectChildrenOnly)) {
        const QRect area(card->mapTo(h.view.get(), QPoint(0, 0)), card->size());
        test::saveToGallery(whole.copy(QRect(area.topLeft() * 2, area.size() * 2).adjusted(-16, -16, 16, 16)),
                            QStringLiteral("card-%1").arg(++index));
    }
    EXPECT_EQ(index, 7);
    test::renderOnPanel(h.view.release(), QStringLiteral("popout-full"), {668, height});
}

}  // namespace
}  // namespace quaylight
