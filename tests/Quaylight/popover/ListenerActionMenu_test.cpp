// The listener action menu: its items, details and placement as tables, and the real menu
// widget driven with keys and the pointer on the offscreen platform.

#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QTest>
#include <memory>

#include "Quaylight/design/controls/PremiumMenu.h"
#include "Quaylight/popover/menus/ListenerActionMenu.h"
#include "Quaylight/popover/model/ListenerActionMenuModel.h"
#include "QuaylightKit/list/DisplayLabels.h"
#include "tests/Quaylight/design/support/Rendering.h"
#include "tests/QuaylightKit/Listeners.h"

namespace quaylight {
namespace {

using namespace testsupport;
using Model = ListenerActionMenuModel;

const WallTime kNow = wallTimeFromMicroseconds(std::int64_t{1'780'000'000} * 1'000'000);

PortListener withURL() {
    auto l = makeListener(4242, 5173);
    l.endpoints = {{"127.0.0.1", AddressFamily::ipv4, 5173}};
    l.bindScope = BindScope::loopbackOnly;
    return l;
}

// A listener bound to an address no URL can be made of.
PortListener withoutURL() {
    auto l = makeListener(4243, 9000);
    l.endpoints = {{"not a host", AddressFamily::ipv4, 9000}};
    l.process.edit().executablePath.reset();
    l.process.edit().residentMemoryBytes.reset();
    return l;
}

std::vector<std::string> titles(const std::vector<Model::Item>& items) {
    std::vector<std::string> result;
    for (const auto& i : items) result.push_back(i.title);
    return result;
}

TEST(ListenerActionMenuItems, FollowTheRowsCapabilitiesWithOneDividerBeforeTheStops) {
    struct Case {
        std::string name;
        PortListener listener;
        Model::Capabilities can;
        std::vector<std::string> titles;
        bool divider;
        qreal height;
    };
    const Case cases[] = {
        {"full set", withURL(), {true, true, false, true},
         {"Open in Browser", "Copy URL", "Copy Port", "Copy Details", "Focus App", "Kill Process\u2026", "Force Kill\u2026"},
         true, 261},
        {"pool", withURL(), {true, true, true, false},
         {"Open in Browser", "Copy URL", "Copy Port", "Copy Details", "Stop Pool\u2026"}, true, 193},
        {"protected", withURL(), {false, false, false, false},
         {"Open in Browser", "Copy URL", "Copy Port", "Copy Details"}, false, 148},
        {"force kill alone offers nothing", withURL(), {false, true, false, false},
         {"Open in Browser", "Copy URL", "Copy Port", "Copy Details"}, false, 148},
        {"no URL", withoutURL(), {true, false, false, false}, {"Copy Port", "Copy Details", "Kill Process\u2026"}, true, 125},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto items = Model::items(c.listener, c.can);
        EXPECT_EQ(titles(items), c.titles);
        EXPECT_EQ(Model::showsDestructiveDivider(items), c.divider);
        EXPECT_EQ(Model::heightEstimate(items), c.height);
        EXPECT_EQ(std::count_if(items.begin(), items.end(), [](const auto& i) { return i.beginsDestructiveSection; }),
                  c.divider ? 1 : 0);
    }
}

TEST(ListenerActionMenuItems, HintsAndDestructiveMarks) {
    const auto items = Model::items(withURL(), {true, true, false, true});
    ASSERT_EQ(items.size(), 7U);
    EXPECT_EQ(items[0].shortcut, "\u21B5");
    EXPECT_EQ(items[1].shortcut, "Ctrl+C");
    for (std::size_t i = 2; i < items.size(); ++i) EXPECT_FALSE(items[i].shortcut) << i;
    EXPECT_TRUE(items[5].beginsDestructiveSection);
    EXPECT_FALSE(items[6].beginsDestructiveSection);
    for (std::size_t i = 0; i < items.size(); ++i) EXPECT_EQ(items[i].isDestructive, i >= 5) << i;
}

TEST(ListenerActionMenuDetails, MinimalIsFourLines) {
    auto l = withoutURL();
    l.bindScope = BindScope::unknown;
    EXPECT_EQ(Model::detailsText(l, kNow), "node \u2014 port 9000\nPID 4243\nBind: unknown\nUptime: " +
                                               UptimeDisplay::label(1000 + 4243, kNow));
}

TEST(ListenerActionMenuDetails, FullBlockInOrderWithSafeFields) {
    auto l = withURL();
    l.process.edit().residentMemoryBytes = 512ULL * 1024 * 1024;
    l.agentOrigin = AgentKind::claude;
    l.host = AgentHost{HostAppKind::vscode};
    l.project = ListenerProject{"shop\nEvil: line", "/home/dev/shop"};
    const auto text = Model::detailsText(l, kNow);
    EXPECT_EQ(text.find('\n', text.rfind("Project: ")) , text.find("\nProject path:"));
    EXPECT_NE(text.find("Project: shop?Evil: line\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Started under: Claude Code\n"), std::string::npos);
    EXPECT_NE(text.find("Host app: "), std::string::npos);
    EXPECT_NE(text.find("Executable: /usr/bin/node\n"), std::string::npos);
    EXPECT_NE(text.find("Memory: 512 MB\n"), std::string::npos);
    EXPECT_TRUE(text.ends_with("URL: http://localhost:5173")) << text;
    EXPECT_TRUE(text.starts_with("node \u2014 port 5173\nPID 4242\nBind: localhost\n")) << text;
}

TEST(ListenerActionMenuPosition, FlipsAboveNearTheBottomAndStaysInsideThePanel) {
    struct Case {
        QRectF row;
        qreal height;
        QSizeF container;
        QPointF expected;
    };
    const Case cases[] = {
        {{0, 400, 660, 44}, 227, {660, 400}, {533, 322.5}},  // near the bottom: flipped above
        {{0, 0, 660, 44}, 227, {660, 400}, {533, 46 + 113.5}},  // room below
        {{0, 20, 660, 44}, 261, {660, 200}, {533, 8 + 130.5}},  // short list: kept 8 from the top
        {{0, 0, 100, 44}, 100, {660, 400}, {117, 96}},           // narrow row: kept 8 from the left
        {{0, 0, 700, 44}, 100, {660, 400}, {537, 96}},           // wide row: 14 from the right
    };
    for (const auto& c : cases) EXPECT_EQ(Model::position(c.row, c.height, c.container), c.expected);
}

struct MenuFixture : ::testing::Test {
    std::vector<std::string> log;
    std::unique_ptr<ListenerActionMenu> menu;

    void open(PortListener listener, Model::Capabilities can) {
        ListenerActionMenu::Callbacks cb;
        cb.onOpen = [this] { log.push_back("open"); };
        cb.onKill = [this] { log.push_back("kill"); };
        cb.onForceKill = [this] { log.push_back("force"); };
        cb.onStopPool = [this] { log.push_back("pool"); };
        cb.onFocus = [this] { log.push_back("focus"); };
        // Dismissing destroys the menu, as the popover does.
        cb.onDismiss = [this] {
            log.push_back("dismiss");
            menu.reset();
        };
        cb.now = [] { return kNow; };
        menu = std::make_unique<ListenerActionMenu>(std::move(listener), can, cb);
        menu->show();
        QCoreApplication::processEvents();
    }
    void key(int k, Qt::KeyboardModifiers m = Qt::NoModifier) { QTest::keyClick(menu.get(), static_cast<Qt::Key>(k), m); }
};

TEST_F(MenuFixture, StartsOnCopyPortWithoutURLAndWraps) {
    open(withoutURL(), {true, false, false, false});
    EXPECT_EQ(menu->items()[0].title, "Copy Port");
    EXPECT_EQ(menu->highlightedIndex(), 0);
    key(Qt::Key_Up);
    EXPECT_EQ(menu->highlightedIndex(), 2);
    key(Qt::Key_Down);
    EXPECT_EQ(menu->highlightedIndex(), 0);
    key(Qt::Key_Return);
    EXPECT_EQ(log, std::vector<std::string>{"dismiss"});
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("9000"));
}

TEST(ListenerActionMenuFocus, TakesFocusOnTheNextTurn) {
    QWidget window;
    window.resize(400, 400);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    auto* menu = new ListenerActionMenu(withURL(), {}, {}, &window);
    menu->show();
    EXPECT_FALSE(menu->hasFocus());
    QCoreApplication::processEvents();
    EXPECT_TRUE(menu->hasFocus());
}

TEST_F(MenuFixture, HoverThenReturnRunsTheHoveredItemAfterDismiss) {
    open(withURL(), {true, true, false, true});
    auto* kill = menu->buttons()[5];
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(kill, &enter);
    EXPECT_EQ(menu->highlightedIndex(), 5);
    key(Qt::Key_Return);
    EXPECT_EQ(log, (std::vector<std::string>{"dismiss", "kill"}));
    EXPECT_FALSE(menu);
}

TEST_F(MenuFixture, ClickRunsAfterDismissWithoutTakingFocus) {
    open(withURL(), {true, true, false, true});
    EXPECT_EQ(menu->buttons()[6]->focusPolicy(), Qt::NoFocus);
    QTest::mouseClick(menu->buttons()[6], Qt::LeftButton);
    EXPECT_EQ(log, (std::vector<std::string>{"dismiss", "force"}));
}

TEST_F(MenuFixture, EscapeOnlyDismissesAndCtrlCCopiesTheURL) {
    open(withURL(), {});
    key(Qt::Key_Escape);
    EXPECT_EQ(log, std::vector<std::string>{"dismiss"});
    log.clear();
    open(withURL(), {});
    key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(log, std::vector<std::string>{"dismiss"});
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("http://localhost:5173"));
}

TEST_F(MenuFixture, CopyDetailsAndAccessibility) {
    open(withURL(), {true, false, false, false});
    EXPECT_EQ(menu->accessibleName(), QStringLiteral("Actions for node on port 5173"));
    EXPECT_EQ(menu->buttons()[4]->accessibleDescription(), QStringLiteral("Requires confirmation"));
    EXPECT_EQ(menu->buttons()[3]->accessibleDescription(), QString());
    key(Qt::Key_Down);
    key(Qt::Key_Down);
    key(Qt::Key_Down);
    key(Qt::Key_Return);
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), Model::detailsText(withURL(), kNow));
}

// The placement estimate must be what the real controls measure.
TEST_F(MenuFixture, HeightEstimateMatchesTheControls) {
    struct Case {
        PortListener listener;
        Model::Capabilities can;
    };
    const Case cases[] = {{withURL(), {true, true, false, true}}, {withURL(), {}}, {withoutURL(), {false, false, true, false}}};
    for (const auto& c : cases) {
        open(c.listener, c.can);
        menu->adjustSize();
        EXPECT_EQ(menu->sizeHint().height(), static_cast<int>(menu->heightEstimate()));
    }
}

TEST(ListenerActionMenuGallery, FullSet) {
    // The menu casts its shadow into the layer around it, as in the panel: draw the layer.
    QWidget layer;
    ListenerActionMenu::Callbacks cb;
    cb.now = [] { return kNow; };
    ListenerActionMenu menu(withURL(), {true, true, false, true}, cb, &layer);
    menu.move(24, 12);
    layer.resize(menu.width() + 48, menu.height() + 48);
    const QImage picture = test::render(layer, 2.0);
    EXPECT_GT(test::countOpaquePixels(picture, 200), menu.width() * menu.height() * 2);
    test::saveToGallery(picture, QStringLiteral("action-menu-full"));
}

}  // namespace
}  // namespace quaylight
