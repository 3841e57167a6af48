// The sort menu widget driven with keys and the pointer.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QTest>
#include <memory>

#include "Quaylight/design/controls/PremiumMenu.h"
#include "Quaylight/popover/menus/SortMenu.h"
#include "tests/Quaylight/design/support/Rendering.h"

namespace quaylight {
namespace {

struct SortMenuFixture : ::testing::Test {
    std::vector<std::string> log;
    std::unique_ptr<SortMenu> menu;
    bool withScan = true;

    void open(ListenerSortMode current) {
        SortMenu::Callbacks cb;
        cb.onChoose = [this](ListenerSortMode m) { log.push_back("sort " + SortMenuModel::title(m)); };
        if (withScan) cb.requestScan = [this] { log.push_back("scan"); };
        cb.onDismiss = [this] {
            log.push_back("dismiss");
            menu.reset();
        };
        menu = std::make_unique<SortMenu>(current, cb);
        // Away from the pointer, so that no row is hovered as the menu appears.
        QCursor::setPos(0, 0);
        menu->move(400, 400);
        menu->show();
        QApplication::processEvents();
    }
    void key(Qt::Key k) { QTest::keyClick(menu.get(), k); }
};

TEST_F(SortMenuFixture, OpensOnTheCurrentModeAndMarksIt) {
    open(ListenerSortMode::memory);
    EXPECT_EQ(menu->highlightedIndex(), 2);
    EXPECT_TRUE(menu->buttons()[2]->fields().isCurrentChoice);
    EXPECT_FALSE(menu->buttons()[0]->fields().isCurrentChoice);
    key(Qt::Key_Down);
    key(Qt::Key_Return);
    EXPECT_EQ(log, (std::vector<std::string>{"sort Uptime", "dismiss"}));
}

TEST_F(SortMenuFixture, UpFromPortReachesRefreshNow) {
    open(ListenerSortMode::port);
    key(Qt::Key_Up);
    EXPECT_EQ(menu->highlightedIndex(), 4);
    key(Qt::Key_Return);
    EXPECT_EQ(log, (std::vector<std::string>{"dismiss", "scan"}));
}

TEST_F(SortMenuFixture, RefreshWithoutAScanRequestOnlyCloses) {
    withScan = false;
    open(ListenerSortMode::port);
    key(Qt::Key_Up);
    key(Qt::Key_Return);
    EXPECT_EQ(log, std::vector<std::string>{"dismiss"});
}

TEST_F(SortMenuFixture, EscapeClosesAndHoverThenClickChooses) {
    open(ListenerSortMode::port);
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(menu->buttons()[1], &enter);
    EXPECT_EQ(menu->highlightedIndex(), 1);
    EXPECT_EQ(menu->buttons()[1]->focusPolicy(), Qt::NoFocus);
    key(Qt::Key_Escape);
    EXPECT_EQ(log, std::vector<std::string>{"dismiss"});
    open(ListenerSortMode::port);
    QTest::mouseClick(menu->buttons()[3], Qt::LeftButton);
    EXPECT_EQ(log.back(), "dismiss");
    EXPECT_EQ(log[log.size() - 2], "sort Uptime");
}

TEST(SortMenuShadow, FallsOutsideTheMenuNotCutAtItsEdges) {
    // The menu lies in a layer larger than itself; its shadow darkens that layer below it.
    QWidget layer;
    layer.resize(500, 500);
    SortMenu menu(ListenerSortMode::port, {}, &layer);
    menu.move(100, 60);
    layer.show();
    QApplication::processEvents();
    const QColor background(90, 90, 90);
    const QImage picture = test::render(layer, 1.0, background);
    const QColor below = picture.pixelColor(menu.x() + menu.width() / 2, menu.y() + menu.height() + 6);
    EXPECT_LT(below.lightness(), background.lightness() - 10);
}

TEST(SortMenuGallery, OnTheCurrentMode) {
    // The menu casts its shadow into the layer around it, as in the panel: draw the layer.
    QWidget layer;
    SortMenu menu(ListenerSortMode::memory, {}, &layer);
    menu.move(24, 12);
    layer.resize(menu.width() + 48, menu.height() + 48);
    const QImage picture = test::render(layer, 2.0);
    EXPECT_GT(test::countOpaquePixels(picture, 200), menu.width() * menu.height() * 2);
    test::saveToGallery(picture, QStringLiteral("sort-menu"));
}

}  // namespace
}  // namespace quaylight
