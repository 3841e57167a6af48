// The row action menu inside the real popover: opened by a right click, placed inside the
// panel under the card, driven by keys, and every stop going through the card.

#include <gtest/gtest.h>

#include <QTest>

#include "Quaylight/design/controls/PremiumMenu.h"
#include "Quaylight/popover/cards/ConfirmationOverlay.h"
#include "Quaylight/popover/menus/ListenerActionMenu.h"
#include "tests/Quaylight/design/support/Rendering.h"
#include "tests/Quaylight/popover/PopoverHarness.h"
#include "tests/QuaylightKit/Listeners.h"

namespace quaylight {
namespace {

using namespace testsupport;
using test::PopoverHarness;

PortListener webRow(std::int32_t pid, std::int64_t port) {
    auto l = makeListener(pid, port);
    l.endpoints = {BoundEndpoint{"127.0.0.1", AddressFamily::ipv4, port}};
    l.bindScope = BindScope::loopbackOnly;
    return l;
}

ScanResult rows(int count) {
    std::vector<PortListener> listeners;
    for (int i = 0; i < count; ++i) listeners.push_back(webRow(10 + i, 3000 + i));
    return resultOf(listeners);
}

TEST(PopoverActionMenu, KillThroughTheCard) {
    PopoverHarness h;
    h.inputs.state = rows(3);
    h.apply();
    h.show();
    const auto ids = h.rowIDs();
    auto* menu = h.openActionMenu(ids[1]);
    ASSERT_TRUE(menu);
    EXPECT_TRUE(menu->isVisible());
    EXPECT_TRUE(menu->hasFocus());
    EXPECT_EQ(menu->accessibleName(), QStringLiteral("Actions for node on port 3001"));
    h.highlightMenuItem(menu, "Kill Process\u2026");
    h.key(Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(h.root->expandedActionsListenerID(), std::nullopt);
    EXPECT_FALSE(h.root->actionMenu());
    ASSERT_TRUE(h.inputs.pending.kill);
    EXPECT_EQ(h.inputs.pending.kill->pid, 11);
    EXPECT_TRUE(h.root->overlay()->isPresented());
    EXPECT_TRUE(h.confirmed.empty());  // nothing signalled before the card is confirmed
    h.key(Qt::Key_Return);
    EXPECT_EQ(h.confirmed, std::vector<std::string>{"kill " + ids[1]});
}

TEST(PopoverActionMenu, ForceKillAndOpenAndEscape) {
    PopoverHarness h;
    h.inputs.state = rows(3);
    h.apply();
    h.show();
    const auto ids = h.rowIDs();
    auto* menu = h.openActionMenu(ids[0]);
    ASSERT_TRUE(menu);
    h.highlightMenuItem(menu, "Force Kill\u2026");
    h.key(Qt::Key_Return);
    ASSERT_TRUE(h.inputs.pending.forceKill);
    h.key(Qt::Key_Escape);
    EXPECT_FALSE(h.inputs.pending.any());

    menu = h.openActionMenu(ids[2]);
    ASSERT_TRUE(menu);
    h.key(Qt::Key_Return);  // starts on "Open in Browser"
    EXPECT_EQ(h.opened, std::vector<std::string>{"http://localhost:3002"});

    menu = h.openActionMenu(ids[2]);
    ASSERT_TRUE(menu);
    h.key(Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_FALSE(h.root->actionMenu());
    EXPECT_EQ(h.dismissals, 0);  // the menu closed, the panel did not
    EXPECT_TRUE(h.list()->hasFocus());
}

TEST(PopoverActionMenu, PoolOffersOnlyStopPool) {
    PopoverHarness h;
    h.inputs.state = resultOf({makePoolListener(20, 8000, 3, ProcessIdentity{19, 1000})});
    h.apply();
    h.show();
    auto* menu = h.openActionMenu(h.rowIDs()[0]);
    ASSERT_TRUE(menu);
    std::vector<std::string> destructive;
    for (const auto& item : menu->items())
        if (item.isDestructive) destructive.push_back(item.title);
    EXPECT_EQ(destructive, std::vector<std::string>{"Stop Pool\u2026"});
}

TEST(PopoverActionMenu, StaysWholeInsideThePanelUnderTheCard) {
    PopoverHarness h;
    h.inputs.state = rows(12);
    h.apply();
    h.show();
    const auto ids = h.rowIDs();
    h.list()->scrollToRow(ids.back(), false);
    QApplication::processEvents();
    auto* menu = h.openActionMenu(ids.back());
    ASSERT_TRUE(menu);
    EXPECT_TRUE(h.root->rect().contains(menu->geometry())) << menu->geometry().y() << " " << menu->height();
    EXPECT_EQ(menu->parentWidget(), h.root);
    const auto children = h.root->children();
    EXPECT_LT(children.indexOf(menu), children.indexOf(h.root->overlay()));
    test::saveToGallery(test::render(*h.root, 2.0), QStringLiteral("ports-action-menu"));
    // A card closes the menu.
    h.update([](PopoverInputs& i) { i.pending.stopVisible = StopVisibleRequest{"x", 1, {}}; });
    QApplication::processEvents();
    EXPECT_FALSE(h.root->actionMenu());
}

}  // namespace
}  // namespace quaylight
