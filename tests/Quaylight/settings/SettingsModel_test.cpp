// The settings popout's pure decisions, each as a table of state in and text or value out.
#include <gtest/gtest.h>

#include "Quaylight/settings/model/AgentConnectionPresentation.h"
#include "Quaylight/settings/model/LaunchAtLoginOffer.h"
#include "Quaylight/settings/model/SettingsChoiceMenu.h"
#include "Quaylight/settings/model/ShortcutKeyInput.h"
#include "Quaylight/settings/model/SettingsVersionText.h"
#include "Quaylight/settings/model/WalkthroughTour.h"

namespace quaylight {
namespace {

using Menu = SettingsChoiceMenu;
using Info = SettingsChoiceMenuInfo;

TEST(SettingsChoiceMenu, MenusHaveTheirIdsTitlesAndChoices) {
    struct Case {
        Menu menu;
        const char* id;
        const char* title;
        std::vector<QString> choices;
        qreal height;
    };
    const std::vector<Case> cases{
        {Menu::defaultFilter, "settings.default-filter", "Open showing",
         {QStringLiteral("Agents, when active"), QStringLiteral("Ports"), QStringLiteral("Last view")}, 114},
        {Menu::rowDensity, "settings.row-density", "Row size", {QStringLiteral("Comfortable"), QStringLiteral("Compact")}, 80},
        {Menu::batteryMode, "settings.battery-mode", "Scan cadence",
         {QStringLiteral("Balanced"), QStringLiteral("Battery Saver")}, 80},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Info::anchorID(c.menu), QLatin1String(c.id));
        EXPECT_EQ(Info::title(c.menu), QLatin1String(c.title));
        EXPECT_EQ(Info::choiceTitles(c.menu), c.choices);
        EXPECT_EQ(Info::height(c.menu), c.height);
    }
}

TEST(SettingsChoiceMenu, PositionKeepsInsideAndFlipsAbove) {
    struct Case {
        const char* what;
        QRectF trigger;
        Menu menu;
        QSizeF container;
        QPointF expected;
    };
    const std::vector<Case> cases{
        // Right edges line up; opens 4 points below: 50 + 4 + 40.
        {"below, right edges aligned", {300, 20, 100, 30}, Menu::rowDensity, {668, 480}, {312, 94}},
        // Right edge at 660 in a 500-wide container: 500 - 8 - 88.
        {"kept 8 inside the right edge", {560, 20, 100, 30}, Menu::rowDensity, {500, 480}, {404, 94}},
        {"kept 8 inside the left edge", {0, 20, 60, 30}, Menu::rowDensity, {500, 480}, {96, 94}},
        // Too narrow for both limits: the right one wins (150 - 96).
        {"narrow container: right limit wins", {0, 20, 60, 30}, Menu::rowDensity, {150, 480}, {54, 94}},
        // 440 + 4 + 80 > 472: above, 4 over the trigger's top: 400 - 4 - 40.
        {"near the bottom opens above", {300, 400, 100, 40}, Menu::rowDensity, {668, 480}, {312, 356}},
        // Three rows: half height 57; below would end at 52 + 114 > 152; above gives 20-4-57 < 65.
        {"clamped to the top", {300, 20, 100, 28}, Menu::defaultFilter, {668, 160}, {312, 65}},
    };
    for (const auto& c : cases) EXPECT_EQ(Info::position(c.trigger, c.menu, c.container), c.expected) << c.what;
}

TEST(SettingsChoiceMenu, HighlightWrapsAtBothEnds) {
    struct Case {
        int highlighted, step, count, expected;
    };
    const std::vector<Case> cases{{0, 1, 3, 1}, {2, 1, 3, 0}, {0, -1, 3, 2}, {1, -1, 2, 0}, {0, -1, 2, 1}, {4, 1, 0, 4}};
    for (const auto& c : cases) EXPECT_EQ(Info::movedHighlight(c.highlighted, c.step, c.count), c.expected);
    EXPECT_TRUE(Info::isValidHighlight(1, 2));
    EXPECT_FALSE(Info::isValidHighlight(2, 2));
    EXPECT_FALSE(Info::isValidHighlight(-1, 2));
}

using Status = AgentProviderConnectionStatus;
using Kind = Status::Kind;
using Action = AgentConnectionAction;

TEST(AgentConnectionPresentation, StatusGivesCaptionAndButtons) {
    const WallTime at = wallTimeFromMicroseconds(1'000'000);
    struct Case {
        Status status;
        AgentKind provider;
        bool configured;
        QString caption;
        std::vector<Action> actions;
        std::vector<QString> names;
    };
    const std::vector<Case> cases{
        {Status::connected(at), AgentKind::codex, true, QStringLiteral("Connected · last event at 3:04 PM"),
         {Action::testRelay, Action::disconnect}, {QStringLiteral("Test Codex relay"), QStringLiteral("Disconnect Codex")}},
        {Status::connected(std::nullopt), AgentKind::claude, true, QStringLiteral("Connected."),
         {Action::testRelay, Action::disconnect},
         {QStringLiteral("Test Claude relay"), QStringLiteral("Disconnect Claude")}},
        {Status::repairNeeded("Entries are missing."), AgentKind::claude, true, QStringLiteral("Entries are missing."),
         {Action::repair, Action::disconnect},
         {QStringLiteral("Repair Claude connection"), QStringLiteral("Disconnect Claude")}},
        {Status::unavailable("Quaylight must run from /usr/local/bin."), AgentKind::codex, false,
         QStringLiteral("Quaylight must run from /usr/local/bin."), {}, {}},
        {Status::unavailable("Broken."), AgentKind::codex, true, QStringLiteral("Broken."), {Action::disconnect},
         {QStringLiteral("Disconnect Codex")}},
        {Status::of(Kind::notConfigured), AgentKind::codex, false,
         QStringLiteral("Not connected. Connect installs Quaylight's event hooks in your ~/.codex settings."),
         {Action::connect}, {QStringLiteral("Connect Codex")}},
        {Status::of(Kind::notConfigured), AgentKind::claude, false,
         QStringLiteral("Not connected. Connect installs Quaylight's event hooks in your ~/.claude settings."),
         {Action::connect}, {QStringLiteral("Connect Claude")}},
        {Status::of(Kind::configuredAwaitingFirstEvent), AgentKind::claude, true,
         QStringLiteral("Claude is configured and waiting for its first trusted event."),
         {Action::testRelay, Action::disconnect}, {QStringLiteral("Test Claude relay"), QStringLiteral("Disconnect Claude")}},
        {Status::of(Kind::configuredAwaitingTrust), AgentKind::claude, true,
         QStringLiteral("Installed — approve Quaylight's hooks in Codex's hook-trust prompt to finish connecting."),
         {Action::testRelay, Action::disconnect}, {QStringLiteral("Test Claude relay"), QStringLiteral("Disconnect Claude")}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AgentConnectionPresentation::caption(c.status, c.provider, QStringLiteral("3:04 PM")), c.caption);
        auto buttons = AgentConnectionPresentation::buttons(c.provider, c.status, c.configured);
        std::vector<Action> actions;
        std::vector<QString> names;
        for (const auto& b : buttons) {
            actions.push_back(b.action);
            names.push_back(b.accessibleName);
        }
        EXPECT_EQ(actions, c.actions) << c.caption.toStdString();
        EXPECT_EQ(names, c.names) << c.caption.toStdString();
    }
}

TEST(AgentConnectionPresentation, ButtonKindsAndTitles) {
    auto repair = AgentConnectionPresentation::buttons(AgentKind::codex, Status::repairNeeded("x"), true);
    ASSERT_EQ(repair.size(), 2u);
    EXPECT_EQ(repair[0].title, QStringLiteral("Repair"));
    EXPECT_EQ(repair[0].kind, PremiumButtonKind::primary);
    EXPECT_EQ(repair[1].title, QStringLiteral("Disconnect"));
    EXPECT_EQ(repair[1].kind, PremiumButtonKind::ghost);
    auto test = AgentConnectionPresentation::buttons(AgentKind::codex, Status::connected(std::nullopt), true);
    EXPECT_EQ(test[0].title, QStringLiteral("Test relay"));
    EXPECT_EQ(test[0].kind, PremiumButtonKind::secondary);
}

TEST(AgentConnectionPresentation, ConnectOnlyFromTheInstalledPathExactly) {
    struct Case {
        std::string running;
        bool blocked;
    };
    const std::vector<Case> cases{{"/usr/local/bin/quaylight", false},
                                  {"/usr/local/bin/quaylight/", true},
                                  {"/usr/local/bin//quaylight", true},
                                  {"/home/me/build/quaylight", true},
                                  {"", true}};
    for (const auto& c : cases) {
        auto notice =
            AgentConnectionPresentation::connectBlockedNotice(c.running, "/usr/local/bin/quaylight", "/usr/local/bin");
        EXPECT_EQ(notice.has_value(), c.blocked) << c.running;
        if (notice) {
            EXPECT_EQ(*notice, QStringLiteral("Move Quaylight to /usr/local/bin, then connect."));
        }
    }
}

TEST(AgentConnectionPresentation, RelayTestLines) {
    EXPECT_EQ(AgentConnectionPresentation::relayTestLine(true),
              QStringLiteral("Relay test passed — the socket and app are reachable."));
    EXPECT_EQ(AgentConnectionPresentation::relayTestLine(false),
              QStringLiteral("Relay test failed — Quaylight's socket isn't reachable."));
}

TEST(SettingsVersionText, VersionText) {
    EXPECT_EQ(SettingsVersionText::versionText("1.4.0"), "VERSION 1.4.0");
    EXPECT_FALSE(SettingsVersionText::versionText(std::nullopt));
    EXPECT_FALSE(SettingsVersionText::versionText(""));
}

using Page = WalkthroughPage;
using Step = WalkthroughStep;
using Key = WalkthroughKey;

TEST(WalkthroughTour, CounterPadsToTwoDigits) {
    const std::vector<std::pair<Page, const char*>> cases{
        {Page::listeners, "01 / 04"}, {Page::agents, "02 / 04"}, {Page::actions, "03 / 04"}, {Page::search, "04 / 04"}};
    for (const auto& [page, text] : cases) EXPECT_EQ(WalkthroughTour::counter(page), QLatin1String(text));
}

TEST(WalkthroughTour, KeysPerPage) {
    struct Case {
        Page page;
        Step right, left, enter;
    };
    const std::vector<Case> cases{
        {Page::listeners, Step::advance, Step::none, Step::advance},
        {Page::agents, Step::advance, Step::retreat, Step::advance},
        {Page::actions, Step::advance, Step::retreat, Step::advance},
        {Page::search, Step::none, Step::retreat, Step::done},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WalkthroughTour::stepForKey(c.page, Key::right), c.right);
        EXPECT_EQ(WalkthroughTour::stepForKey(c.page, Key::left), c.left);
        EXPECT_EQ(WalkthroughTour::stepForKey(c.page, Key::enter), c.enter);
    }
}

TEST(WalkthroughTour, StepsAndButtons) {
    EXPECT_EQ(WalkthroughTour::after(Page::listeners, Step::advance), Page::agents);
    EXPECT_EQ(WalkthroughTour::after(Page::search, Step::advance), Page::search);
    EXPECT_EQ(WalkthroughTour::after(Page::listeners, Step::retreat), Page::listeners);
    EXPECT_EQ(WalkthroughTour::after(Page::search, Step::retreat), Page::actions);
    EXPECT_EQ(WalkthroughTour::after(Page::agents, Step::done), Page::agents);
    EXPECT_FALSE(WalkthroughTour::showsBack(Page::listeners));
    EXPECT_FALSE(WalkthroughTour::showsSkip(Page::search));
    EXPECT_TRUE(WalkthroughTour::showsSkip(Page::actions));
    EXPECT_EQ(WalkthroughTour::primaryTitle(Page::search), QStringLiteral("Get Started"));
    EXPECT_EQ(WalkthroughTour::primaryTitle(Page::agents), QStringLiteral("Next"));
    EXPECT_EQ(WalkthroughTour::primaryStep(Page::search), Step::done);
    EXPECT_EQ(WalkthroughTour::pageAnimationMilliseconds(true), 100);
    EXPECT_EQ(WalkthroughTour::pageAnimationMilliseconds(false), 180);
    EXPECT_TRUE(WalkthroughTour::text(Page::actions).body.contains(QStringLiteral("desktop-native")));
}

using Result = LaunchAtLoginReconciler::ChangeResult;

TEST(LaunchAtLoginOffer, EnableAndApprovalSteps) {
    const LaunchAtLoginOfferState offer;
    const LaunchAtLoginOfferState awaiting{LaunchAtLoginOffer::awaitingMessage(), true};
    const LaunchAtLoginOfferState stillOff{LaunchAtLoginOffer::stillOffMessage(), true};
    const LaunchAtLoginOfferState notAdded{LaunchAtLoginOffer::notAddedMessage(), false};
    struct Case {
        const char* what;
        LaunchAtLoginOfferState from;
        Result result;
        LaunchAtLoginOfferStep expected;
    };
    const std::vector<Case> enable{
        {"enabled finishes", offer, Result::enabled, {offer, true, false}},
        {"approval opens the settings", offer, Result::requiresApproval, {awaiting, std::nullopt, true}},
        {"again after still off", stillOff, Result::requiresApproval, {awaiting, std::nullopt, true}},
        {"disabled", offer, Result::disabled, {notAdded, std::nullopt, false}},
        {"failed while awaiting drops the approval row", awaiting, Result::failed, {notAdded, std::nullopt, false}},
    };
    for (const auto& c : enable) EXPECT_EQ(LaunchAtLoginOffer::afterEnable(c.from, c.result), c.expected) << c.what;
    EXPECT_EQ(LaunchAtLoginOffer::afterApprovalCheck(awaiting, true), (LaunchAtLoginOfferStep{awaiting, true, false}));
    EXPECT_EQ(LaunchAtLoginOffer::afterApprovalCheck(awaiting, false),
              (LaunchAtLoginOfferStep{stillOff, std::nullopt, false}));
}

TEST(ShortcutKeyInput, TakesTheCharacterBeforeTheCursor) {
    struct Case {
        QString text;
        int cursor;
        std::optional<QString> key;
    };
    const std::vector<Case> cases{
        {QStringLiteral("Pk"), 2, QStringLiteral("k")},   // typed after the shown letter
        {QStringLiteral("kP"), 1, QStringLiteral("k")},   // typed before it: the old mend
        {QStringLiteral("Pword"), 5, QStringLiteral("d")},  // pasted: its last character
        {QStringLiteral("K"), 1, QStringLiteral("k")},
        {QString(), 0, std::nullopt},
        {QStringLiteral("P"), 0, std::nullopt},
        {QStringLiteral("P😀"), 3, QStringLiteral("😀")},
    };
    for (const auto& c : cases) EXPECT_EQ(ShortcutKeyInput::keyFromEdit(c.text, c.cursor), c.key) << c.text.toStdString();
}

}  // namespace
}  // namespace quaylight
