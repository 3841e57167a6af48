// The panel as the application makes it: the real launch-at-login offer, welcome tour and
// settings popout in the main area, their completions stored as the first-run flags, the
// popout's changes carried to the view model, and the settings file's notice over it all.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>
#include <QVariantAnimation>

#include "Quaylight/design/controls/PremiumCard.h"
#include "Quaylight/popover/PopoverRootFactory.h"
#include "Quaylight/popover/PopoverRootView.h"
#include "Quaylight/popover/frame/NoticeBanner.h"
#include "Quaylight/settings/onboarding/LaunchAtLoginOfferView.h"
#include "Quaylight/settings/onboarding/WalkthroughView.h"
#include "Quaylight/settings/popout/SettingsPopoutView.h"
#include "Quaylight/shell/defaults/SettingsFileUserDefaults.h"
#include "Quaylight/shell/defaults/SettingsKeys.h"
#include "Quaylight/shell/platform/LaunchAtLoginManager.h"
#include "Quaylight/shell/viewmodel/QuaylightViewModel.h"
#include "QuaylightKit/platform/FakeLoginItem.h"
#include "tests/Quaylight/popover/StrayWindowWatch.h"
#include "tests/QuaylightKit/Listeners.h"
#include "tests/Quaylight/design/support/Rendering.h"
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
    // When set, the settings live in this file instead of `defaults`.
    std::shared_ptr<SettingsFileUserDefaults> settingsFile;
    std::unique_ptr<QuaylightViewModel> viewModel;
    std::unique_ptr<LaunchAtLoginManager> launchAtLogin;
    PopoverRootView* root = nullptr;
    int gateChanges = 0;
    int quits = 0;

    explicit MadePanel(std::shared_ptr<SettingsFileUserDefaults> file = nullptr) : settingsFile(std::move(file)) {
        const std::shared_ptr<UserDefaults> store = settingsFile ? std::shared_ptr<UserDefaults>(settingsFile) : defaults;
        QuaylightViewModel::Dependencies d{store, terminatorWithoutSelf()};
        d.runInBackground = [](QuaylightViewModel::Job job) { job(); };
        d.runningApplications = std::make_shared<NoApplications>();
        viewModel = std::make_unique<QuaylightViewModel>(std::move(d));
        auto item = std::make_unique<FakeLoginItem>();
        item->location = home.path().toStdString() + "/autostart";
        launchAtLogin = std::make_unique<LaunchAtLoginManager>(std::move(item), [](const QUrl&) { return true; });
        PopoverContext context;
        context.viewModel = viewModel.get();
        context.launchAtLogin = launchAtLogin.get();
        context.defaults = store.get();
        context.settingsFile = settingsFile.get();
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
    bool flag(std::string_view key) const { return defaults->boolValue(key).value_or(false); }
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
    EXPECT_TRUE(p.flag(SettingsKeys::launchAtLoginOfferCompleted));
    EXPECT_EQ(p.defaults->boolValue(SettingsKeys::launchAtLoginEnabled), std::optional(false));
    EXPECT_EQ(p.gateChanges, 1);
    EXPECT_EQ(p.root->findChild<LaunchAtLoginOfferView*>(), nullptr);
    ASSERT_NE(p.shown<WalkthroughView>(), nullptr);
    p.click(QStringLiteral("Skip"));
    EXPECT_TRUE(p.flag(SettingsKeys::walkthroughCompleted));
    EXPECT_TRUE(p.flag(SettingsKeys::onboardingComplete));
    EXPECT_EQ(p.gateChanges, 2);
    EXPECT_EQ(p.root->findChild<WalkthroughView*>(), nullptr);
    EXPECT_EQ(p.root->presentation(), PopoverSurface::listenerList);
}

TEST(PopoverPages, TheSettingsPopoutActsOnTheViewModelAndTheFlags) {
    MadePanel p;
    p.defaults->set(SettingsKeys::launchAtLoginOfferCompleted, true);
    p.defaults->set(SettingsKeys::walkthroughCompleted, true);
    p.defaults->set(SettingsKeys::onboardingComplete, true);
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
    EXPECT_EQ(p.defaults->stringValue(SettingsKeys::rowDensity), std::optional<std::string>("compact"));
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
    EXPECT_FALSE(p.flag(SettingsKeys::walkthroughCompleted));
    EXPECT_FALSE(p.flag(SettingsKeys::onboardingComplete));
    EXPECT_TRUE(p.flag(SettingsKeys::launchAtLoginOfferCompleted));
    EXPECT_EQ(p.gateChanges, 1);
    auto* tour = p.shown<WalkthroughView>();
    ASSERT_NE(tour, nullptr);
    EXPECT_EQ(tour->page(), WalkthroughPage::listeners);

    p.click(QStringLiteral("Settings"));
    p.click(QStringLiteral("Quit Quaylight"));
    EXPECT_EQ(p.quits, 1);
}

std::shared_ptr<SettingsFileUserDefaults> finishedFirstRun(const std::string& path) {
    auto file = std::make_shared<SettingsFileUserDefaults>(path);
    for (const auto key :
         {SettingsKeys::launchAtLoginOfferCompleted, SettingsKeys::walkthroughCompleted, SettingsKeys::onboardingComplete})
        file->setBool(key, true);
    file->synchronize();
    return file;
}

NoticeBanner* settingsFileNotice(const PopoverRootView& root) {
    auto* banner = root.findChild<NoticeBanner*>(QStringLiteral("settingsFileNotice"));
    return banner && banner->isVisibleTo(&root) ? banner : nullptr;
}

void shoot(PopoverRootView& root, const QString& name) {
    const QImage image = test::render(root, 2.0);
    EXPECT_GT(test::countOpaquePixels(image), 1000);
    test::saveToGallery(image, name);
}

TEST(PopoverPages, ASettingsFileThatCannotBeReadIsToldOnTheListAndInTheSettings) {
    QTemporaryDir config;
    const QString path = config.path() + QStringLiteral("/Quaylight/Quaylight.conf");
    QDir().mkpath(path);  // a folder where the file should be
    MadePanel p(finishedFirstRun(path.toStdString()));
    const QString expected = QStringLiteral("Quaylight couldn't read its settings file (") + path +
                             QStringLiteral(") because it is a folder, not a file. It is running on defaults; "
                                            "changes won't be kept.");
    ScanFrame frame;
    frame.payload = resultOf({makeListener(10, 3000), makeListener(11, 5173), makeListener(12, 8080)});
    p.viewModel->apply(frame);
    p.settle();
    auto* notice = settingsFileNotice(*p.root);
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(notice->text(), expected);
    // It stays while its cause does: nothing dismisses it.
    for (auto* button : notice->findChildren<QAbstractButton*>()) EXPECT_FALSE(button->isVisibleTo(notice));
    shoot(*p.root, QStringLiteral("settings-file-unreadable"));

    p.click(QStringLiteral("Settings"));
    ASSERT_NE(p.shown<SettingsPopoutView>(), nullptr);
    notice = settingsFileNotice(*p.root);
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(notice->text(), expected);
    shoot(*p.root, QStringLiteral("settings-file-unreadable-settings"));
}

TEST(PopoverPages, AFailedSaveIsToldFromTheToggleUntilASaveSucceeds) {
    QTemporaryDir config;
    const QString folder = config.path() + QStringLiteral("/Quaylight");
    const QString path = folder + QStringLiteral("/Quaylight.conf");
    MadePanel p(finishedFirstRun(path.toStdString()));
    EXPECT_EQ(settingsFileNotice(*p.root), nullptr);
    // The file's place becomes a link into /proc, where no file can be made.
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QFile::link(QStringLiteral("/proc/quaylight-settings-test/Quaylight.conf"), path));

    p.click(QStringLiteral("Settings"));
    p.click(QStringLiteral("Tidewatch"));
    p.settle();  // the write, then the panel's update
    auto* notice = settingsFileNotice(*p.root);
    ASSERT_NE(notice, nullptr);
    EXPECT_TRUE(notice->text().startsWith(QStringLiteral("Quaylight couldn't save its settings file (") + path +
                                          QStringLiteral("): ")))
        << notice->text().toStdString();
    EXPECT_TRUE(notice->text().endsWith(QStringLiteral(". Changes won't be kept after Quaylight quits.")));
    shoot(*p.root, QStringLiteral("settings-file-save-failed-settings"));

    ASSERT_TRUE(QFile::remove(path));
    p.click(QStringLiteral("Tidewatch"));
    p.settle();
    EXPECT_EQ(settingsFileNotice(*p.root), nullptr);
    EXPECT_TRUE(QFileInfo(path).isFile());
}

// The tour where the panel shows it, in the main area under the header and above the Quit
// footer: every page fits, its sample rows keep their 38-point port badges apart, and the
// page dots keep clear of the sample card.
TEST(PopoverPages, EveryTourPageFitsTheMainArea) {
    MadePanel p;
    p.click(QStringLiteral("Not now"));
    auto* tour = p.shown<WalkthroughView>();
    ASSERT_NE(tour, nullptr);
    for (int page = 0; page < WalkthroughTour::pageCount; ++page) {
        // The page change's fade and the dots' slide, run to their ends.
        for (auto* animation : tour->findChildren<QVariantAnimation*>()) animation->setCurrentTime(animation->duration());
        p.settle();
        QWidget* card = nullptr;
        for (auto* candidate : tour->findChildren<PremiumCard*>())
            if (candidate->isVisibleTo(tour)) card = candidate;
        ASSERT_NE(card, nullptr) << page;
        QWidget* dots = nullptr;
        for (auto* candidate : tour->findChildren<QWidget*>())
            if (candidate->accessibleName() == QStringLiteral("Tour progress")) dots = candidate;
        ASSERT_NE(dots, nullptr);
        const QRect cardArea(card->mapTo(tour, QPoint(0, 0)), card->size());
        const QRect dotsArea(dots->mapTo(tour, QPoint(0, 0)), dots->size());
        EXPECT_GE(dotsArea.top() - cardArea.bottom() - 1, 10) << "page " << page + 1;
        std::vector<QRect> rows;
        for (auto* row : card->findChildren<QWidget*>())
            if (row->accessibleName().startsWith(QStringLiteral("Port ")))
                rows.emplace_back(row->mapTo(tour, QPoint(0, 0)), row->size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            EXPECT_GE(rows[i].height(), 44) << "page " << page + 1 << " row " << i;
            EXPECT_LE(rows[i].bottom(), cardArea.bottom()) << "page " << page + 1 << " row " << i;
            if (i > 0) {
                EXPECT_GT(rows[i].top(), rows[i - 1].bottom()) << "page " << page + 1 << " row " << i;
            }
        }
        test::saveToGallery(test::render(*p.root, 2.0), QStringLiteral("tour-%1-in-panel").arg(page + 1));
        if (page + 1 < WalkthroughTour::pageCount) tour->step(WalkthroughStep::advance);
    }
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
