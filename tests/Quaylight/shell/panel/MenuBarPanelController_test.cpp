#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QDir>

#include "Quaylight/shell/panel/MenuBarPanelController.h"
#include "Quaylight/shell/panel/FakeOutsideClickMonitor.h"
#include "Quaylight/shell/panel/PanelEditingCommand.h"
#include "tests/Quaylight/shell/testing/QtWait.h"
#include "tests/Quaylight/shell/testing/QuitOnlyContent.h"

namespace quaylight {
namespace {

using Mode = MenuBarPanelController::DismissalMode;

// A controller over a fake outside-click source and a fixed screen, whose owner keeps the
// dismissal completions so a test decides when each fade "ends".
struct PanelHarness {
    FakeOutsideClickMonitor* clicks = nullptr;
    QPoint cursor{5, 5};
    QLineEdit* field = nullptr;
    std::unique_ptr<MenuBarPanelController> controller;
    std::vector<std::pair<Mode, std::function<void()>>> dismissals;
    int shows = 0;
    int closes = 0;

    PanelHarness() {
        MenuBarPanelController::Dependencies d;
        auto monitor = std::make_unique<FakeOutsideClickMonitor>();
        clicks = monitor.get();
        d.outsideClicks = std::move(monitor);
        d.cursorPosition = [this] { return cursor; };
        d.workAreaFor = [](const QRect&) { return std::optional<QRect>(QRect(0, 0, 1920, 1080)); };
        auto* root = new QWidget();
        auto* layout = new QVBoxLayout(root);
        field = new QLineEdit();
        field->setAccessibleName(QStringLiteral("Search"));
        layout->addWidget(field);
        controller = std::make_unique<MenuBarPanelController>(QSize(700, 480), root, std::move(d));
        controller->onDidShow = [this] { ++shows; };
        controller->onDidClose = [this] { ++closes; };
        controller->onDismissRequested = [this](Mode mode, std::function<void()> done) {
            dismissals.emplace_back(mode, std::move(done));
        };
    }

    void finish(std::size_t index) { dismissals.at(index).second(); }
    const QRect icon{900, 0, 22, 22};
};

TEST(PanelController, ShowPlacesThePanelUnderTheIconAndReportsOnce) {
    PanelHarness h;
    EXPECT_TRUE(h.controller->show(h.icon));
    EXPECT_TRUE(h.controller->isPresented());
    EXPECT_TRUE(h.controller->isVisible());
    EXPECT_EQ(h.controller->panel()->geometry(), QRect(561, 28, 700, 480));
    EXPECT_EQ(h.shows, 1);
    EXPECT_TRUE(h.clicks->isActive());
    EXPECT_FALSE(h.controller->show(h.icon));  // already presented
    EXPECT_EQ(h.shows, 1);
    EXPECT_TRUE(h.controller->panel()->testAttribute(Qt::WA_NoMouseReplay));
    EXPECT_EQ(h.controller->panel()->windowTitle(), QStringLiteral("Quaylight"));
}

TEST(PanelController, CloseFadesThenHidesAndReportsOnce) {
    PanelHarness h;
    h.controller->show(h.icon);
    h.controller->close();
    EXPECT_FALSE(h.controller->isPresented());
    EXPECT_FALSE(h.clicks->isActive());
    ASSERT_EQ(h.dismissals.size(), 1u);
    EXPECT_EQ(h.dismissals[0].first, Mode::animated);
    EXPECT_TRUE(h.controller->isVisible());  // still fading
    EXPECT_EQ(h.closes, 0);
    h.finish(0);
    EXPECT_FALSE(h.controller->isVisible());
    EXPECT_EQ(h.closes, 1);
    h.finish(0);  // a second completion changes nothing
    EXPECT_EQ(h.closes, 1);
}

TEST(PanelController, ShowingAgainMidFadeKeepsThePanelAndIgnoresTheOldCompletion) {
    PanelHarness h;
    h.controller->show(h.icon);
    h.controller->close();
    EXPECT_TRUE(h.controller->show(h.icon));
    EXPECT_EQ(h.shows, 1);  // it never left the screen
    h.finish(0);            // the stale fade ends
    EXPECT_TRUE(h.controller->isVisible());
    EXPECT_EQ(h.closes, 0);
    h.controller->close();
    h.finish(1);
    EXPECT_FALSE(h.controller->isVisible());
    EXPECT_EQ(h.closes, 1);
}

TEST(PanelController, EscapeDismissesAtOnceAndSupersedesARunningFade) {
    PanelHarness h;
    h.controller->show(h.icon);
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(h.controller->panel(), &escape);
    ASSERT_EQ(h.dismissals.size(), 1u);
    EXPECT_EQ(h.dismissals[0].first, Mode::immediate);
    h.finish(0);
    EXPECT_EQ(h.closes, 1);

    h.controller->show(h.icon);
    h.controller->close();
    QApplication::sendEvent(h.controller->panel(), &escape);  // while fading out
    ASSERT_EQ(h.dismissals.size(), 3u);
    EXPECT_EQ(h.dismissals[2].first, Mode::immediate);
    h.finish(2);
    EXPECT_FALSE(h.controller->isVisible());
    h.finish(1);  // the superseded animated one
    EXPECT_EQ(h.closes, 2);

    QApplication::sendEvent(h.controller->panel(), &escape);  // hidden: nothing
    EXPECT_EQ(h.dismissals.size(), 3u);
}

TEST(PanelController, APressElsewhereClosesButNotOnTheIconOrThePanel) {
    PanelHarness h;
    h.controller->show(h.icon);
    h.cursor = QPoint(905, 10);  // the icon: it toggles through its own press
    h.clicks->press();
    h.cursor = QPoint(700, 200);  // inside the panel
    h.clicks->press();
    EXPECT_TRUE(h.controller->isPresented());
    h.cursor = QPoint(1500, 900);
    h.clicks->press();
    EXPECT_FALSE(h.controller->isPresented());
    ASSERT_EQ(h.dismissals.size(), 1u);
    EXPECT_EQ(h.dismissals[0].first, Mode::animated);
}

TEST(PanelController, WithoutAnOwnerTheDismissalFinishesAtOnce) {
    PanelHarness h;
    h.controller->onDismissRequested = nullptr;
    h.controller->show(h.icon);
    h.controller->close();
    EXPECT_FALSE(h.controller->isVisible());
    EXPECT_EQ(h.closes, 1);
}

TEST(PanelController, CtrlVPastesOnceAndCtrlShiftVDoesNothing) {
    PanelHarness h;
    h.controller->show(h.icon);
    h.field->setFocus();
    QApplication::setActiveWindow(h.controller->panel());
    ASSERT_TRUE(testsupport::processEventsUntil([&] { return QApplication::focusWidget() == h.field; }));
    QApplication::clipboard()->setText(QStringLiteral("8080"));

    QKeyEvent paste(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16"));
    QApplication::sendEvent(h.field, &paste);
    EXPECT_EQ(h.field->text(), QStringLiteral("8080"));

    QKeyEvent shiftPaste(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier, QStringLiteral("\x16"));
    QApplication::sendEvent(h.field, &shiftPaste);
    EXPECT_EQ(h.field->text(), QStringLiteral("8080"));
}

TEST(PanelController, TheGlobalShortcutPressedInsideThePanelToggles) {
    PanelHarness h;
    int toggles = 0;
    h.controller->matchesGlobalShortcut = [](const QKeyEvent& e) {
        return e.key() == Qt::Key_P && e.modifiers() == (Qt::MetaModifier | Qt::AltModifier);
    };
    h.controller->onGlobalShortcut = [&] { ++toggles; };
    h.controller->show(h.icon);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_P, Qt::MetaModifier | Qt::AltModifier);
    QApplication::sendEvent(h.field, &press);
    EXPECT_EQ(toggles, 1);
}

struct EditingCase {
    int key;
    Qt::KeyboardModifiers modifiers;
    std::optional<PanelEditingCommand::Action> expected;
};

TEST(PanelEditing, OnlyCtrlAloneWithXCVAIsAnEditingKey) {
    using A = PanelEditingCommand::Action;
    const std::vector<EditingCase> cases{
        {Qt::Key_X, Qt::ControlModifier, A::cut},
        {Qt::Key_C, Qt::ControlModifier, A::copy},
        {Qt::Key_V, Qt::ControlModifier, A::paste},
        {Qt::Key_A, Qt::ControlModifier, A::selectAll},
        {Qt::Key_V, Qt::ControlModifier | Qt::KeypadModifier, A::paste},
        {Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier, std::nullopt},
        {Qt::Key_V, Qt::ControlModifier | Qt::AltModifier, std::nullopt},
        {Qt::Key_V, Qt::MetaModifier, std::nullopt},
        {Qt::Key_V, Qt::NoModifier, std::nullopt},
        {Qt::Key_Z, Qt::ControlModifier, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PanelEditingCommand::action(c.key, c.modifiers), c.expected) << c.key << " " << c.modifiers;
}

TEST(PanelGallery, TheContentInThePanel) {
    int quits = 0;
    MenuBarPanelController::Dependencies d;
    d.outsideClicks = std::make_unique<FakeOutsideClickMonitor>();
    d.workAreaFor = [](const QRect&) { return std::optional<QRect>(QRect(0, 0, 1920, 1080)); };
    MenuBarPanelController controller(QSize(700, 480), testsupport::makeQuitOnlyContent([&] { ++quits; }),
                                      std::move(d));
    ASSERT_TRUE(controller.show(QRect(900, 0, 22, 22)));
    QDir().mkpath(QStringLiteral(QUAYLIGHT_GALLERY_DIR));
    EXPECT_TRUE(controller.panel()->grab().save(QStringLiteral(QUAYLIGHT_GALLERY_DIR "/panel-content.png")));
    auto buttons = controller.panel()->findChildren<QAbstractButton*>();
    ASSERT_EQ(buttons.size(), 1);
    EXPECT_EQ(buttons[0]->accessibleName(), QStringLiteral("Quit"));
    buttons[0]->click();
    EXPECT_EQ(quits, 1);
}

}  // namespace
}  // namespace quaylight
