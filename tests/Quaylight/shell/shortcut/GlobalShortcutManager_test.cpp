// The shortcut manager on a key grab in memory.
#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QSignalSpy>

#include "Quaylight/shell/defaults/SettingsKeys.h"
#include "Quaylight/shell/shortcut/FakeKeyGrabBackend.h"
#include "Quaylight/shell/shortcut/GlobalShortcutManager.h"

namespace quaylight {
namespace {

using M = GlobalShortcutModifier;
using Grab = KeyGrabBackend::GrabResult;

const KeyChord superAltP{'p', {M::command, M::option}};

class GlobalShortcutManagerTest : public ::testing::Test {
protected:
    GlobalShortcutManager& make() {
        auto backend = std::make_unique<FakeKeyGrabBackend>();
        grab_ = backend.get();
        manager_ = std::make_unique<GlobalShortcutManager>(defaults_, std::move(backend));
        return *manager_;
    }
    void start() {
        manager_->start([this] { ++presses_; });
    }

    InMemoryUserDefaults defaults_;
    FakeKeyGrabBackend* grab_ = nullptr;
    std::unique_ptr<GlobalShortcutManager> manager_;
    int presses_ = 0;
};

TEST_F(GlobalShortcutManagerTest, StartsWithTheDefaultAndGrabsOnlyWhenStarted) {
    auto& manager = make();
    EXPECT_EQ(manager.preference().displayText(), "Super+Alt+P");
    EXPECT_TRUE(manager.isEnabled());
    EXPECT_FALSE(manager.registrationError());
    EXPECT_FALSE(grab_->grabbed);
    start();
    EXPECT_EQ(grab_->grabbed, superAltP);
    grab_->press();
    grab_->press();
    EXPECT_EQ(presses_, 2);
    EXPECT_TRUE(defaults_.values().empty());
}

TEST_F(GlobalShortcutManagerTest, StopReleasesTheGrabAndDropsTheAction) {
    auto& manager = make();
    start();
    manager.stop();
    EXPECT_FALSE(grab_->grabbed);
    EXPECT_FALSE(grab_->hasHandler());
    grab_->press();
    EXPECT_EQ(presses_, 0);
}

TEST_F(GlobalShortcutManagerTest, SwitchingOffReleasesClearsTheErrorAndIsStored) {
    auto& manager = make();
    grab_->nextResult = Grab::alreadyInUse;
    start();
    EXPECT_EQ(manager.registrationError(), "That shortcut is already in use by another app.");
    QSignalSpy enabled(&manager, &GlobalShortcutManager::enabledChanged);
    manager.setEnabled(false);
    EXPECT_FALSE(manager.registrationError());
    EXPECT_FALSE(grab_->grabbed);
    EXPECT_EQ(defaults_.boolValue(SettingsKeys::globalShortcutEnabled), false);
    EXPECT_EQ(enabled.count(), 1);
    grab_->press();
    EXPECT_EQ(presses_, 0);

    grab_->nextResult = Grab::grabbed;
    manager.setEnabled(true);
    EXPECT_EQ(grab_->grabbed, superAltP);
    EXPECT_EQ(defaults_.boolValue(SettingsKeys::globalShortcutEnabled), true);
    grab_->press();
    EXPECT_EQ(presses_, 1);
}

TEST_F(GlobalShortcutManagerTest, AStoredOffSwitchGrabsNothing) {
    defaults_.setBool(SettingsKeys::globalShortcutEnabled, false);
    auto& manager = make();
    start();
    EXPECT_FALSE(manager.isEnabled());
    EXPECT_TRUE(grab_->grabRequests.empty());
    EXPECT_FALSE(manager.registrationError());
}

struct GrabFailure {
    Grab result;
    const char* error;
};

TEST_F(GlobalShortcutManagerTest, EachGrabFailureHasItsSentenceAndLeavesNothingGrabbed) {
    const std::vector<GrabFailure> cases{
        {Grab::alreadyInUse, "That shortcut is already in use by another app."},
        {Grab::unavailable, "Global shortcuts aren't available in this desktop session."},
        {Grab::keyNotOnKeyboard, "Choose a supported shortcut with at least one modifier."},
    };
    for (const auto& c : cases) {
        auto& manager = make();
        start();
        ASSERT_TRUE(grab_->grabbed);
        grab_->nextResult = c.result;
        manager.update({"k", {M::control, M::option}});
        EXPECT_EQ(manager.registrationError(), c.error);
        EXPECT_FALSE(grab_->grabbed) << c.error;
        grab_->press();
        EXPECT_EQ(presses_, 0);
        // The next successful registration clears it.
        grab_->nextResult = Grab::grabbed;
        manager.setEnabled(true);
        EXPECT_FALSE(manager.registrationError());
        EXPECT_EQ(grab_->grabbed, (KeyChord{'k', {M::control, M::option}}));
    }
}

struct Refusal {
    GlobalShortcutPreference preference;
    const char* error;
};

TEST_F(GlobalShortcutManagerTest, RefusedShortcutsChangeNothingButTheError) {
    const std::vector<Refusal> cases{
        {{"k", {}}, "Choose at least one modifier."},
        {{"k", {M::shift}}, "Shift alone is not enough; choose Super, Alt or Ctrl too."},
        {{"§", {M::command}}, "Choose a letter, number, or punctuation key."},
        {{" ", {M::command}}, "Choose a letter, number, or punctuation key."},
        {{"F1", {M::control}}, "Choose a letter, number, or punctuation key."},
    };
    for (const auto& c : cases) {
        auto& manager = make();
        start();
        QSignalSpy changed(&manager, &GlobalShortcutManager::preferenceChanged);
        manager.update(c.preference);
        EXPECT_EQ(manager.registrationError(), c.error);
        EXPECT_EQ(manager.preference().displayText(), "Super+Alt+P");
        EXPECT_EQ(grab_->grabbed, superAltP);
        EXPECT_EQ(grab_->grabRequests.size(), 1u);
        EXPECT_FALSE(defaults_.contains(SettingsKeys::globalShortcut));
        EXPECT_EQ(changed.count(), 0);
    }
}

TEST_F(GlobalShortcutManagerTest, AnAcceptedShortcutIsStoredAndGrabbed) {
    auto& manager = make();
    start();
    QSignalSpy changed(&manager, &GlobalShortcutManager::preferenceChanged);
    manager.update({"K", {M::control, M::shift}});
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(manager.preference().displayText(), "Ctrl+Shift+K");
    EXPECT_EQ(grab_->grabbed, (KeyChord{'k', {M::control, M::shift}}));
    auto stored = defaults_.stringValue(SettingsKeys::globalShortcut);
    ASSERT_TRUE(stored);
    auto decoded = GlobalShortcutPreference::fromJSON(*stored);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->key, "K");

    // What is stored comes back in a new manager.
    auto& again = make();
    EXPECT_EQ(again.preference().displayText(), "Ctrl+Shift+K");
    EXPECT_FALSE(again.registrationError());
}

TEST_F(GlobalShortcutManagerTest, RestoreDefaultSwitchesOnAndStores) {
    auto& manager = make();
    start();
    manager.update({"k", {M::control}});
    manager.setEnabled(false);
    manager.restoreDefault();
    EXPECT_TRUE(manager.isEnabled());
    EXPECT_EQ(defaults_.boolValue(SettingsKeys::globalShortcutEnabled), true);
    EXPECT_EQ(manager.preference().displayText(), "Super+Alt+P");
    EXPECT_EQ(grab_->grabbed, superAltP);
    EXPECT_EQ(GlobalShortcutPreference::fromJSON(*defaults_.stringValue(SettingsKeys::globalShortcut)),
              GlobalShortcutPreference::defaultPreference());
}

TEST_F(GlobalShortcutManagerTest, AnUnreadableSavedShortcutIsSaidUntilTheNextChangeAndStaysStored) {
    const std::vector<UserDefaults::Value> unreadable{
        std::string("{broken"), std::string(R"({"key":"k","modifiers":["shift"]})"), true};
    for (const auto& stored : unreadable) {
        defaults_ = InMemoryUserDefaults();
        defaults_.set(SettingsKeys::globalShortcut, stored);
        auto& manager = make();
        const std::string notice = "Your saved shortcut couldn't be read, so Quaylight is using Super+Alt+P.";
        EXPECT_EQ(manager.registrationError(), notice);
        start();
        EXPECT_EQ(manager.registrationError(), notice);
        EXPECT_EQ(grab_->grabbed, superAltP);
        EXPECT_EQ(defaults_.object(SettingsKeys::globalShortcut), stored);
        manager.update({"k", {M::control}});
        EXPECT_FALSE(manager.registrationError());
    }
}

TEST_F(GlobalShortcutManagerTest, KeyPressesTheApplicationReceivesMatchTheShortcutWhileItIsOn) {
    auto& manager = make();
    QKeyEvent superAltPress(QEvent::KeyPress, Qt::Key_P, Qt::MetaModifier | Qt::AltModifier);
    EXPECT_FALSE(manager.matches(superAltPress));  // not started
    start();
    EXPECT_TRUE(manager.matches(superAltPress));
    EXPECT_TRUE(manager.matches(QKeyEvent(QEvent::KeyPress, Qt::Key_P, Qt::MetaModifier | Qt::AltModifier | Qt::KeypadModifier)));
    EXPECT_FALSE(manager.matches(QKeyEvent(QEvent::KeyPress, Qt::Key_P, Qt::AltModifier)));
    EXPECT_FALSE(manager.matches(QKeyEvent(QEvent::KeyPress, Qt::Key_P, Qt::MetaModifier | Qt::AltModifier | Qt::ShiftModifier)));
    EXPECT_FALSE(manager.matches(QKeyEvent(QEvent::KeyPress, Qt::Key_O, Qt::MetaModifier | Qt::AltModifier)));
    EXPECT_FALSE(manager.matches(QKeyEvent(QEvent::KeyRelease, Qt::Key_P, Qt::MetaModifier | Qt::AltModifier)));
    EXPECT_FALSE(manager.matches(QKeyEvent(QEvent::KeyPress, Qt::Key_P, Qt::MetaModifier | Qt::AltModifier, QString(), true)));
    manager.update({"=", {M::control}});
    EXPECT_TRUE(manager.matches(QKeyEvent(QEvent::KeyPress, Qt::Key_Equal, Qt::ControlModifier)));
    manager.setEnabled(false);
    EXPECT_FALSE(manager.matches(QKeyEvent(QEvent::KeyPress, Qt::Key_Equal, Qt::ControlModifier)));
}

}  // namespace
}  // namespace quaylight
