// The first-run screens as real widgets: the launch-at-login offer against a login item in
// memory, and the welcome tour driven by its keys and buttons.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTest>

#include "Quaylight/settings/onboarding/LaunchAtLoginOfferView.h"
#include "Quaylight/settings/onboarding/WalkthroughView.h"
#include "Quaylight/shell/defaults/SettingsKeys.h"
#include "Quaylight/shell/platform/LaunchAtLoginManager.h"
#include "QuaylightKit/platform/FakeLoginItem.h"
#include "SettingsTestSupport.h"

namespace quaylight {
namespace {

using test::buttonNamed;
using test::showsText;

struct OfferHarness {
    QTemporaryDir configHome;  // where the autostart folder is made before it is opened
    FakeLoginItem* itemPointer = nullptr;
    std::unique_ptr<LaunchAtLoginManager> manager;
    FakeLoginItem& item;
    InMemoryUserDefaults defaults;
    int settingsOpened = 0;
    std::vector<bool> completions;
    std::unique_ptr<LaunchAtLoginOfferView> view;

    static std::unique_ptr<FakeLoginItem> makeItem(FakeLoginItem*& pointer, const QTemporaryDir& home) {
        auto fake = std::make_unique<FakeLoginItem>();
        fake->location = home.path().toStdString() + "/autostart";
        pointer = fake.get();
        return fake;
    }

    OfferHarness()
        : manager(std::make_unique<LaunchAtLoginManager>(makeItem(itemPointer, configHome),
                                                         [this](const QUrl&) {
                                                             ++settingsOpened;
                                                             return true;
                                                         })),
          item(*itemPointer) {
        view = std::make_unique<LaunchAtLoginOfferView>(LaunchAtLoginOfferView::Dependencies{manager.get(), &defaults},
                                                        [this](bool on) { completions.push_back(on); });
        view->resize(700, 480);
    }
    void click(const char* title) {
        auto* button = buttonNamed(*view, QString::fromUtf8(title));
        ASSERT_NE(button, nullptr) << title;
        button->click();
    }
};

TEST(LaunchAtLoginOfferView, SpeaksOfTheTrayNotTheMenuBar) {
    OfferHarness h;
    EXPECT_EQ(test::labelsContaining(*h.view, QStringLiteral("menu bar")), QStringList());
    EXPECT_TRUE(showsText(*h.view, QStringLiteral("Start Quaylight automatically when you sign in, so your local "
                                                  "listener list is waiting in the tray when you need it.")));
}

TEST(LaunchAtLoginOfferView, AcceptWhenTheEntryCanBeWrittenFinishesAtOnce) {
    OfferHarness h;
    h.click("Open at Login");
    EXPECT_EQ(h.item.adds, 1);
    EXPECT_EQ(h.completions, std::vector<bool>{true});
    EXPECT_EQ(h.settingsOpened, 0);
}

TEST(LaunchAtLoginOfferView, ApprovalPathOpensTheSettingsOnceAndWaits) {
    OfferHarness h;
    h.item.addNeedsApproval = true;
    h.click("Open at Login");
    EXPECT_EQ(h.settingsOpened, 1);
    EXPECT_TRUE(h.completions.empty());
    EXPECT_TRUE(h.view->state().awaitingApproval);
    EXPECT_TRUE(showsText(*h.view, LaunchAtLoginOffer::awaitingMessage()));
    ASSERT_NE(buttonNamed(*h.view, QStringLiteral("I Turned It On")), nullptr);

    h.click("I Turned It On");  // not approved yet
    EXPECT_TRUE(showsText(*h.view, LaunchAtLoginOffer::stillOffMessage()));
    EXPECT_EQ(h.defaults.boolValue(SettingsKeys::launchAtLoginEnabled), false);
    EXPECT_TRUE(h.completions.empty());

    h.click("Open Autostart Settings");
    EXPECT_EQ(h.settingsOpened, 2);
    EXPECT_EQ(h.view->state().message, LaunchAtLoginOffer::stillOffMessage());

    h.item.current = LoginItem::Status::enabled;  // the user approved it
    h.click("I Turned It On");
    EXPECT_EQ(h.defaults.boolValue(SettingsKeys::launchAtLoginEnabled), true);
    EXPECT_EQ(h.completions, std::vector<bool>{true});
    EXPECT_EQ(h.item.removes, 0);
}

TEST(LaunchAtLoginOfferView, FourStatesShowTheirMessageAndRows) {
    struct Case {
        const char* name;
        std::function<void(OfferHarness&)> reach;
        std::optional<QString> message;
        bool approvalRow;
    };
    const std::vector<Case> cases{
        {"offer-offer", [](OfferHarness&) {}, std::nullopt, false},
        {"offer-not-added",
         [](OfferHarness& h) {
             h.item.refuseAdd = true;
             h.click("Open at Login");
         },
         LaunchAtLoginOffer::notAddedMessage(), false},
        {"offer-awaiting-approval",
         [](OfferHarness& h) {
             h.item.addNeedsApproval = true;
             h.click("Open at Login");
         },
         LaunchAtLoginOffer::awaitingMessage(), true},
        {"offer-still-off",
         [](OfferHarness& h) {
             h.item.addNeedsApproval = true;
             h.click("Open at Login");
             h.click("I Turned It On");
         },
         LaunchAtLoginOffer::stillOffMessage(), true},
    };
    for (const auto& c : cases) {
        OfferHarness h;
        c.reach(h);
        EXPECT_EQ(h.view->state().message, c.message) << c.name;
        EXPECT_EQ(h.view->state().awaitingApproval, c.approvalRow) << c.name;
        EXPECT_EQ(buttonNamed(*h.view, QStringLiteral("I Turned It On")) != nullptr, c.approvalRow) << c.name;
        if (c.message) {
            EXPECT_TRUE(showsText(*h.view, *c.message)) << c.name;
        }
        EXPECT_NE(buttonNamed(*h.view, QStringLiteral("Open at Login")), nullptr) << c.name;
        EXPECT_NE(buttonNamed(*h.view, QStringLiteral("Not now")), nullptr) << c.name;
        test::renderOnPanel(h.view.release(), QString::fromUtf8(c.name));
    }
}

TEST(LaunchAtLoginOfferView, NotNowDeclinesInEveryState) {
    for (bool awaiting : {false, true}) {
        OfferHarness h;
        h.item.addNeedsApproval = awaiting;
        if (awaiting) h.click("Open at Login");
        h.click("Not now");
        EXPECT_EQ(h.completions, std::vector<bool>{false});
        EXPECT_EQ(h.item.removes, 0);
    }
}

TEST(LaunchAtLoginOfferView, FailureWhileAwaitingDropsTheApprovalRow) {
    OfferHarness h;
    h.item.addNeedsApproval = true;
    h.click("Open at Login");
    h.item.refuseAdd = true;
    h.click("Open at Login");
    EXPECT_FALSE(h.view->state().awaitingApproval);
    EXPECT_EQ(h.view->state().message, LaunchAtLoginOffer::notAddedMessage());
    EXPECT_EQ(buttonNamed(*h.view, QStringLiteral("I Turned It On")), nullptr);
}

using Page = WalkthroughPage;

TEST(WalkthroughView, KeysPerPage) {
    struct Case {
        Page from;
        Qt::Key key;
        Page to;
        int doneCalls;
    };
    const std::vector<Case> cases{
        {Page::listeners, Qt::Key_Right, Page::agents, 0}, {Page::listeners, Qt::Key_Left, Page::listeners, 0},
        {Page::listeners, Qt::Key_Return, Page::agents, 0}, {Page::agents, Qt::Key_Left, Page::listeners, 0},
        {Page::actions, Qt::Key_Right, Page::search, 0},   {Page::search, Qt::Key_Right, Page::search, 0},
        {Page::search, Qt::Key_Left, Page::actions, 0},    {Page::search, Qt::Key_Return, Page::search, 1},
    };
    for (const auto& c : cases) {
        int done = 0;
        WalkthroughView view([&done] { ++done; });
        while (view.page() != c.from) view.step(WalkthroughStep::advance);
        QTest::keyClick(&view, c.key);
        EXPECT_EQ(view.page(), c.to) << int(c.from) << " key " << c.key;
        EXPECT_EQ(done, c.doneCalls) << int(c.from) << " key " << c.key;
    }
}

TEST(WalkthroughView, ButtonsAndCounterPerPage) {
    int done = 0;
    WalkthroughView view([&done] { ++done; });
    view.resize(700, 480);
    const std::vector<std::tuple<Page, const char*, bool, bool, const char*>> pages{
        {Page::listeners, "01 / 04", true, false, "Next"},
        {Page::agents, "02 / 04", true, true, "Next"},
        {Page::actions, "03 / 04", true, true, "Next"},
        {Page::search, "04 / 04", false, true, "Get Started"},
    };
    for (const auto& [page, counter, skip, back, primary] : pages) {
        EXPECT_EQ(view.page(), page);
        EXPECT_TRUE(showsText(view, QString::fromUtf8(counter)));
        EXPECT_EQ(buttonNamed(view, QStringLiteral("Skip")) != nullptr, skip);
        EXPECT_EQ(buttonNamed(view, QStringLiteral("Back")) != nullptr, back);
        auto* next = buttonNamed(view, QString::fromUtf8(primary));
        ASSERT_NE(next, nullptr) << primary;
        next->click();
    }
    EXPECT_EQ(done, 1);
    EXPECT_EQ(view.page(), Page::search);
    buttonNamed(view, QStringLiteral("Back"))->click();
    EXPECT_EQ(view.page(), Page::actions);
    buttonNamed(view, QStringLiteral("Skip"))->click();
    EXPECT_EQ(done, 2);
}

TEST(WalkthroughView, ActionPreviewRowsTakeNoClicks) {
    WalkthroughView view([] {});
    view.step(WalkthroughStep::advance);
    view.step(WalkthroughStep::advance);
    auto* row = buttonNamed(view, QStringLiteral("Open in Browser"));
    ASSERT_NE(row, nullptr);
    EXPECT_TRUE(row->testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_EQ(row->focusPolicy(), Qt::NoFocus);
}

TEST(WalkthroughView, GalleryOfPages) {
    for (auto page : WalkthroughTour::pages()) {
        auto* view = new WalkthroughView([] {});
        while (view->page() != page) view->step(WalkthroughStep::advance);
        test::renderOnPanel(view, QStringLiteral("tour-%1").arg(WalkthroughTour::index(page) + 1));
    }
}

}  // namespace
}  // namespace quaylight
