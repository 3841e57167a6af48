// Pictures of the popover for people to look at: the ports list, the states, the card and
// the banner, written to the test binary's gallery folder.

#include <gtest/gtest.h>

#include "Quaylight/design/theme/PremiumTheme.h"
#include "Quaylight/popover/frame/ModeSearchBar.h"
#include "tests/Quaylight/design/support/Rendering.h"
#include "tests/Quaylight/popover/PopoverHarness.h"
#include "tests/QuaylightKit/Listeners.h"

namespace quaylight {
namespace {

using namespace testsupport;
using test::PopoverHarness;

constexpr std::int64_t kNow = 1'780'000'000;

PortListener row(std::int32_t pid, std::int64_t port, std::string path, BindScope scope = BindScope::loopbackOnly) {
    auto l = makeListener(pid, port, std::move(path));
    l.process.edit().identity.startTimeSeconds = static_cast<std::uint64_t>(kNow - 3 * 3600 - pid * 97);
    l.process.edit().residentMemoryBytes = static_cast<std::uint64_t>(pid) * 3'100'000;
    l.endpoints = {BoundEndpoint{scope == BindScope::allInterfaces ? "0.0.0.0" : "127.0.0.1", AddressFamily::ipv4, port}};
    l.bindScope = scope;
    return l;
}

ScanResult variedRows(PopoverInputs& inputs) {
    auto vite = row(41, 5173, "/usr/bin/node");
    vite.classification.framework = Framework::vite;
    vite.classification.runtime = Runtime::node;
    vite.classification.confidence = Confidence::high;
    vite.project = ListenerProject{"storefront", "/home/dev/storefront"};
    vite.host = AgentHost{HostAppKind::vscode};
    vite.agentOrigin = AgentKind::claude;
    auto django = row(57, 8000, "/usr/bin/python3.11", BindScope::allInterfaces);
    django.classification.framework = Framework::django;
    django.classification.runtime = Runtime::python;
    django.classification.confidence = Confidence::medium;
    django.project = ListenerProject{"billing-api", "/home/dev/billing-api"};
    django.host = AgentHost{HostAppKind::terminal};
    auto pool = makePoolListener(63, 9000, 4, ProcessIdentity{62, 1062, 0}, "/usr/bin/gunicorn");
    pool.process.edit().identity.startTimeSeconds = kNow - 86400 * 2;
    pool.endpoints = {BoundEndpoint{"127.0.0.1", AddressFamily::ipv4, 9000}};
    pool.bindScope = BindScope::loopbackOnly;
    pool.classification.framework = Framework::gunicorn;
    pool.classification.confidence = Confidence::high;
    pool.agentOrigin = AgentKind::codex;
    auto redis = row(71, 6379, "/usr/bin/redis-server");
    redis.classification.service = KnownService::redis;
    redis.classification.confidence = Confidence::high;
    auto odd = row(88, 4321, std::string("/home/dev/tools/") + std::string(60, 'x') + "/long-running-tool");
    odd.process.edit().name = "a-very-long-process-name-that-would-not-fit-anywhere-in-this-row";
    odd.process.edit().executablePath.reset();
    odd.classification.label = "custom";
    odd.classification.confidence = Confidence::low;
    odd.bindScope = BindScope::mixed;
    auto cups = makeListener(91, 631, "/usr/sbin/cupsd", VisibilityClass::hiddenSystemBackground);
    cups.process.edit().residentMemoryBytes = 9'000'000;
    cups.bindScope = BindScope::loopbackOnly;
    inputs.activityByID[vite.id()] = ActivityLevel::high;
    inputs.activityByID[django.id()] = ActivityLevel::low;
    inputs.activityByID[pool.id()] = ActivityLevel::medium;
    inputs.cpuPercentByID[vite.id()] = 38.2;
    inputs.cpuPercentByID[django.id()] = 0.4;
    inputs.cpuPercentByID[pool.id()] = 7;
    inputs.displayFields.path = true;
    inputs.showSystem = true;
    inputs.now = wallTimeFromMicroseconds(kNow * 1'000'000);
    return resultOf({vite, django, pool, redis, odd, cups}, kNow);
}

void shoot(PopoverHarness& h, const QString& name) {
    h.show();
    QApplication::processEvents();
    h.finishCardFade();
    const QImage image = test::render(h.window);
    EXPECT_GT(test::countOpaquePixels(image), 1000);
    test::saveToGallery(image, name);
}

TEST(PopoverGallery, PortsList) {
    PopoverHarness h;
    h.inputs.state = variedRows(h.inputs);
    h.apply();
    h.show();
    h.key(Qt::Key_Down);
    QTest::mouseClick(h.list()->row(h.rowIDs()[2]), Qt::RightButton, {}, QPoint(200, 10));
    shoot(h, QStringLiteral("ports-list"));
}

// Under the last row the list shows the panel's own gradient, not a lighter slab of its own.
TEST(PopoverGallery, TheListAreaIsThePanelsOwnGradient) {
    PopoverHarness h;
    h.inputs.state = resultOf({row(41, 5173, "/usr/bin/node")}, kNow);
    h.apply();
    h.show();
    QApplication::processEvents();
    const QImage image = test::render(*h.root);
    auto* list = h.list();
    ASSERT_TRUE(list->isVisible());
    for (int y : {list->height() / 2, list->height() - 4}) {
        const QPoint at = list->mapTo(h.root, QPoint(3, y));
        const double share = double(at.y()) / (PopoverRootView::height - 1);
        const QColor top = PremiumTheme::panelTop(), bottom = PremiumTheme::panelBottom();
        const QColor shown = image.pixelColor(at);
        EXPECT_NEAR(shown.red(), top.red() + (bottom.red() - top.red()) * share, 2) << at.y();
        EXPECT_NEAR(shown.green(), top.green() + (bottom.green() - top.green()) * share, 2) << at.y();
        EXPECT_NEAR(shown.blue(), top.blue() + (bottom.blue() - top.blue()) * share, 2) << at.y();
    }
}

// The "System" tag stands right after the process name, not at the row's far end.
TEST(PopoverGallery, SystemTagFollowsTheName) {
    PopoverHarness h;
    auto cups = row(91, 631, "/usr/sbin/cupsd");
    cups.visibility = VisibilityClass::hiddenSystemBackground;
    h.inputs.state = resultOf({row(41, 5173, "/usr/bin/node"), cups}, kNow);
    h.inputs.showSystem = true;
    h.apply();
    h.show();
    QApplication::processEvents();
    auto* view = h.list()->row(cups.id());
    ASSERT_NE(view, nullptr);
    auto* title = view->findChild<QWidget*>(QStringLiteral("title"));
    auto* tag = view->findChild<QWidget*>(QStringLiteral("systemTag"));
    ASSERT_TRUE(tag->isVisible());
    EXPECT_EQ(tag->x(), title->geometry().right() + 1 + 7);
    EXPECT_LT(tag->geometry().right(), view->width() / 2);
    const QImage image = test::render(*h.root);
    test::saveToGallery(image.copy(QRect(view->mapTo(h.root, QPoint(0, 0)), view->size())),
                        QStringLiteral("row-system-tag"));
}

// The mode switch: two 30-point segments in 3 points of padding, 36 high beside the
// 42-point search field and centred on it.
TEST(PopoverGallery, ModeSwitchIs36PointsHigh) {
    PopoverHarness h;
    h.inputs.state = resultOf({row(41, 5173, "/usr/bin/node")}, kNow);
    h.apply();
    h.show();
    QApplication::processEvents();
    auto* bar = h.root->searchBar();
    auto* switcher = bar->findChild<QWidget*>(QStringLiteral("modeSwitcher"));
    auto* field = h.root->findChild<QWidget*>(QStringLiteral("searchField"))->parentWidget();
    ASSERT_NE(switcher, nullptr);
    EXPECT_EQ(switcher->height(), 36);
    EXPECT_EQ(field->height(), 42);
    EXPECT_EQ(switcher->geometry().center().y(), field->geometry().center().y());
    const QImage image = test::render(*h.root, 2.0);
    const QRect area(bar->mapTo(h.root, QPoint(0, 0)), bar->size());
    test::saveToGallery(image.copy(QRect(area.topLeft() * 2, area.size() * 2)), QStringLiteral("mode-switch"));
}

TEST(PopoverGallery, CompactRowsWithEveryField) {
    PopoverHarness h;
    h.inputs.state = variedRows(h.inputs);
    h.inputs.rowDensity = DisplaySettings::RowDensity::compact;
    h.inputs.displayFields = {true, true, true, false, true, true, true, true, true};
    h.apply();
    shoot(h, QStringLiteral("ports-list-compact"));
}

TEST(PopoverGallery, States) {
    {
        PopoverHarness h;
        h.inputs.state = resultOf({}, kNow);
        h.apply();
        shoot(h, QStringLiteral("empty"));
    }
    {
        PopoverHarness h;
        auto r = resultOf({row(41, 5173, "/usr/bin/node")}, kNow);
        r.agentPresence.entries.push_back({{{100, 1, 0}, AgentKind::claude}, AgentKind::claude, {}, {}, {}});
        h.inputs.state = r;
        h.inputs.filter = FilterCategory::claude;
        h.apply();
        shoot(h, QStringLiteral("agent-session"));
    }
    {
        PopoverHarness h;
        h.inputs.state = PortsFailed{"No process could be listed: /proc is not readable."};
        h.apply();
        shoot(h, QStringLiteral("error"));
    }
}

TEST(PopoverGallery, KillCardAndBanner) {
    {
        PopoverHarness h;
        h.inputs.state = variedRows(h.inputs);
        h.apply();
        h.show();
        h.key(Qt::Key_K);
        shoot(h, QStringLiteral("kill-card"));
    }
    {
        PopoverHarness h;
        h.inputs.state = variedRows(h.inputs);
        h.inputs.killNotice =
            "node (PID 41) is protected: it is this computer's login shell. Nothing was signaled. A long notice keeps "
            "going so that it wraps over more than three lines of the banner, and whatever does not fit is in the "
            "tooltip instead, where all of it can be read at once without widening the panel at all.";
        h.apply();
        shoot(h, QStringLiteral("banner"));
    }
}

}  // namespace
}  // namespace quaylight
