// The panel as the application makes it: the real launch-at-login offer, welcome tour and
// settings popout in the main area, their completions stored as the first-run flags and
// the popout's changes carried to the view model.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>

#include "Quaylight/popover/PopoverRootFactory.h"
#include "Quaylight/popover/PopoverRootView.h"
#include "Quaylight/settings/onboarding/LaunchAtLoginOfferView.h"
#include "Quaylight/settings/onboarding/WalkthroughView.h"
#include "Quaylight/settings/popout/SettingsPopoutView.h"
#include "Quaylight/shell/platform/LaunchAtLoginManager.h"
#include "Quaylight/shell/viewmodel/QuaylightViewModel.h"
#include "QuaylightKit/platform/FakeLoginItem.h"
#include "tests/Quaylight/popover/StrayWindowWatch.h"
#include "tests/QuaylightKit/Listeners.h"
#include "tests/QuaylightKit/terminator/OwnChildren.h"

namespace quaylight {
namespace {

using namespace testsupport;

class NoApplications : public RunningApplications {
public:
    std::set<std::int32_t> pids() override { return {}; }
    void activate(std::int32_t) override {}
};

struct MadePanel {
    QTemporaryDir home;
    std::shared_ptr<InMemoryUserDefaults> defaults = std::make_shared<InMemoryUserDefaults>();
    std::unique_ptr<QuaylightViewModel> viewModel;
    std::unique_ptr<LaunchAtLoginManager> launchAtLogin;
    PopoverRootView* root = nullptr;
    int gateChanges = 0;
    int quits = 0;

    MadePanel() {
        QuaylightViewModel::Dependencies d{defaults, terminatorWithoutSelf()};
        d.runInBackground = [](QuaylightViewModel::Job job) { job(); };
        d.runningApplications = std::make_shared<NoApplications>();
        viewModel = std::make_unique<QuaylightViewModel>(std::move(d));
        auto item = std::make_unique<FakeLoginItem>();
        item->location = home.path().toStdString() + "/autostart";
        launchAtLogin = std::make_unique<LaunchAtLoginManager>(std::move(item), [](const QUrl&) { return true; });
        PopoverContext context;
        context.viewModel = viewModel.get();
        context.launchAtLogin = launchAtLogin.get();
        context.defaults = defaults.get();
        context.quit = [this] { ++quits; };
        context.onOnboardingGateChanged = [this] { ++gateChanges; };
        root = qobject_cast<PopoverRootView*>(makePopoverRootFactory()(context));
        root->show();
        settle();
    }
    ~MadePanel() {
        delete root;
        viewModel.reset();
    }
    static void settle() {
        QApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    bool flag(const char* key) const { return defaults->boolValue(key).value_or(false); }
    void click(const QString& name) {
        for (auto* button : root->findChildren<QAbstractButton*>()) {
            if (button->isVisibleTo(root) && (button->accessibleName() == name || button->text() == name)) {
                button->click();
                settle();
                return;
            }
        }
        ADD_FAILURE() << "no visible button " << name.toStdString();
    }
    template <typename View>
    View* shown() const {
        for (auto* view : root->findChildren<View*>())
            if (view->isVisibleTo(root)) return view;
        return nullptr;
    }
};

TEST(PopoverPages, AFreshStartGoesThroughTheOfferAndTheTourToTheList) {
    MadePanel p;
    ASSERT_NE(p.shown<LaunchAtLoginOfferView>(), nullptr);
    EXPECT_EQ(p.shown<WalkthroughView>(), nullptr);
    p.click(QStringLiteral("Not now"));
    EXPECT_TRUE(p.flag("launchAtLoginOfferCompleted"));
    EXPECT_EQ(p.defaults->boolValue("launchAtLoginEnabled"), std::optional(false));
    EXPECT_EQ(p.gateChanges, 1);
    EXPECT_EQ(p.root->findChild<LaunchAtLoginOfferView*>(), nullptr);
    ASSERT_NE(p.shown<WalkthroughView>(), nullptr);
    p.click(QStringLiteral("Skip"));
    EXPECT_TRUE(p.flag("walkthroughCompleted"));
    EXPECT_TRUE(p.flag("quaylightOnboardingComplete"));
    EXPECT_EQ(p.gateChanges, 2);
    EXPECT_EQ(p.root->findChild<WalkthroughView*>(), nullptr);
    EXPECT_EQ(p.root->presentation(), PopoverSurface::listenerList);
}

TEST(PopoverPages, TheSettingsPopoutActsOnTheViewModelAndTheFlags) {
    MadePanel p;
    p.defaults->set("launchAtLoginOfferCompleted", true);
    p.defaults->set("walkthroughCompleted", true);
    p.defaults->set("quaylightOnboardingComplete", true);
    p.click(QStringLiteral("Settings"));
    auto* popout = p.shown<SettingsPopoutView>();
    ASSERT_NE(popout, nullptr);
    EXPECT_TRUE(p.root->showSettings());

    // The column ends with its footers: no empty space to scroll into below them (the
    // brand line and the margins are about 55 px under the footer's buttons).
    auto* scroll = popout->findChild<QScrollArea*>();
    QAbstractButton* replay = nullptr;
    for (auto* button : popout->findChildren<QAbstractButton*>())
        if (button->accessibleName() == QStringLiteral("Replay welcome tour") || button->text() == QStringLiteral("Replay welcome tour"))
            replay = button;
    ASSERT_NE(scroll, nullptr);
    ASSERT_NE(replay, nullptr);
    const int buttonsBottom = replay->mapTo(scroll->widget(), QPoint(0, replay->height())).y();
    EXPECT_LE(scroll->widget()->height() - buttonsBottom, 70);

    // The footer's last-scan line follows the scans while the popout is open.
    EXPECT_EQ(popout->lastScanned(), std::nullopt);
    ScanFrame frame;
    frame.payload = resultOf({makeListener(10, 3000)});
    p.viewModel->apply(frame);
    p.settle();
    ASSERT_TRUE(popout->lastScanned().has_value());
    EXPECT_TRUE(popout->lastScanned()->startsWith(QStringLiteral("Ports last scanned at "))) << popout->lastScanned()->toStdString();

    // Row size re-reads the stored row settings into the view model.
    popout->toggleChoiceMenu(SettingsChoiceMenu::rowDensity);
    popout->moveChoiceHighlight(+1);
    popout->activateHighlightedChoice();
    EXPECT_EQ(p.defaults->stringValue("display.rowDensity"), std::optional<std::string>("compact"));
    EXPECT_EQ(p.viewModel->rowDensity(), DisplaySettings::RowDensity::compact);
    // The system rows' switch is the view model's.
    p.click(QStringLiteral("System & background ports"));
    EXPECT_TRUE(p.viewModel->showSystem());

    // Closing drops the popout; opening again makes a fresh one.
    p.click(QStringLiteral("Close Settings"));
    EXPECT_EQ(p.root->findChild<SettingsPopoutView*>(), nullptr);
    p.click(QStringLiteral("Settings"));
    ASSERT_NE(p.shown<SettingsPopoutView>(), nullptr);

    // Replay closes the popout and brings the tour back from its first page.
    p.click(QStringLiteral("Replay welcome tour"));
    EXPECT_FALSE(p.root->showSettings());
    EXPECT_FALSE(p.flag("walkthroughCompleted"));
    EXPECT_FALSE(p.flag("quaylightOnboardingComplete"));
    EXPECT_TRUE(p.flag("launchAtLoginOfferCompleted"));
    EXPECT_EQ(p.gateChanges, 1);
    auto* tour = p.shown<WalkthroughView>();
    ASSERT_NE(tour, nullptr);
    EXPECT_EQ(tour->page(), WalkthroughPage::listeners);

    p.click(QStringLiteral("Settings"));
    p.click(QStringLiteral("Quit Quaylight"));
    EXPECT_EQ(p.quits, 1);
}

TEST(PopoverPages, NoWindowButThePanelAppearsWhileThePanelIsUsed) {
    // A window of its own, however brief, takes the keyboard from the panel on a desktop
    // with a window manager: the offer, the tour, the settings with a scan behind them, their
    // choice menus and keys must all stay inside the panel.
    MadePanel p;
    StrayWindowWatch watch(p.root);
    ScanFrame frame;
    frame.payload = resultOf({makeListener(10, 3000)});
    p.viewModel->apply(frame);
    p.settle();

    p.click(QStringLiteral("Not now"));
    auto* tour = p.shown<WalkthroughView>();
    ASSERT_NE(tour, nullptr);
    QTest::keyClick(tour, Qt::Key_Right);
    QTest::keyClick(tour, Qt::Key_Left);
    p.settle();
    p.click(QStringLiteral("Skip"));

    p.click(QStringLiteral("Settings"));
    auto* popout = p.shown<SettingsPopoutView>();
    ASSERT_NE(popout, nullptr);
    ASSERT_TRUE(popout->lastScanned().has_value());
    for (auto menu : {SettingsChoiceMenu::rowDensity, SettingsChoiceMenu::rowDensity}) {
        popout->toggleChoiceMenu(menu);
        p.settle();
        popout->moveChoiceHighlight(+1);
        popout->activateHighlightedChoice();
        p.settle();
    }
    QTest::keyClick(popout, Qt::Key_Escape);
    p.click(QStringLiteral("Close Settings"));
    p.click(QStringLiteral("Settings"));
    p.viewModel->apply(frame);
    p.settle();
    p.click(QStringLiteral("Close Settings"));
    EXPECT_TRUE(watch.strays().isEmpty()) << watch.strays().join(QStringLiteral("; ")).toStdString();
}

}  // namespace
}  // namespace quaylight
