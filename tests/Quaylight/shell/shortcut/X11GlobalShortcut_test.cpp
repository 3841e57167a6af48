// The global shortcut against a real X server: a private Xvfb, real key presses from
// xdotool, and the probe program, a Qt client on the xcb platform whose shortcut manager uses
// the session's own key grab.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <memory>
#include <xcb/xcb.h>

#include "Quaylight/shell/shortcut/X11KeyGrabBackend.h"
#include "tests/Quaylight/shell/support/ProbeProcess.h"
#include "tests/Quaylight/shell/support/XvfbServer.h"

namespace quaylight {
namespace {

using testsupport::ProbeProcess;
using testsupport::XvfbServer;

// The probe's first line once it started is "count 0 error none".
class ShortcutProbe : public ProbeProcess {
public:
    explicit ShortcutProbe(const XvfbServer& server) : ProbeProcess(server, QStringLiteral(QUAYLIGHT_SHORTCUT_PROBE)) {}
};

class X11GlobalShortcutTest : public ::testing::Test {
protected:
    void SetUp() override {
        server_ = std::make_unique<XvfbServer>();
        ASSERT_TRUE(server_->running()) << server_->failure();
    }

    void press(const char* keys) {
        // The trailing query waits for the server's answer, so the key events have been
        // handled by the server (and sent to the clients) when xdotool ends.
        auto result = server_->run(QStringLiteral("xdotool"),
                                   {QStringLiteral("key"), QString::fromLatin1(keys), QStringLiteral("getmouselocation")});
        ASSERT_EQ(result.exitCode, 0) << result.output.toStdString();
    }

    bool numLockOn() {
        auto result = server_->run(QStringLiteral("xset"), {QStringLiteral("q")});
        return result.output.contains(QStringLiteral("Num Lock:    on"));
    }

    std::unique_ptr<XvfbServer> server_;
};

TEST_F(X11GlobalShortcutTest, EachPressFiresOnceAlsoWithNumLockAndCapsLockOn) {
    ShortcutProbe probe(*server_);
    ASSERT_EQ(probe.firstLine(), "count 0 error none");

    press("super+alt+p");
    EXPECT_EQ(probe.command("sync"), "count 1 error none");
    press("super+alt+p");
    EXPECT_EQ(probe.command("sync"), "count 2 error none");

    // Other combinations of the same key are not the shortcut.
    press("alt+p");
    press("super+p");
    press("ctrl+super+alt+p");
    EXPECT_EQ(probe.command("sync"), "count 2 error none");

    press("Num_Lock");
    ASSERT_TRUE(numLockOn());
    press("super+alt+p");
    EXPECT_EQ(probe.command("sync"), "count 3 error none");
    press("Caps_Lock");
    press("super+alt+p");
    EXPECT_EQ(probe.command("sync"), "count 4 error none");
    press("Caps_Lock");
    press("Num_Lock");
    EXPECT_FALSE(numLockOn());
}

TEST_F(X11GlobalShortcutTest, HeldKeyFiresOnce) {
    // The backend on a connection of this test's own, fed the key events a held key makes.
    xcb_connection_t* connection = xcb_connect(server_->display().toLatin1().constData(), nullptr);
    ASSERT_EQ(xcb_connection_has_error(connection), 0);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    int presses = 0;
    {
        X11KeyGrabBackend backend(connection, root);
        backend.setPressHandler([&presses] { ++presses; });
        ASSERT_EQ(backend.grab(KeyChord{'p', {GlobalShortcutModifier::command, GlobalShortcutModifier::option}}),
                  KeyGrabBackend::GrabResult::grabbed);
        const std::uint16_t superAlt = XCB_MOD_MASK_4 | XCB_MOD_MASK_1;
        std::uint8_t keyCode = 0;
        for (int code = 8; code < 256 && keyCode == 0; ++code)
            if (backend.matchesNativeKeyPress(static_cast<std::uint32_t>(code), superAlt)) keyCode = static_cast<std::uint8_t>(code);
        ASSERT_NE(keyCode, 0);
        // A press the application receives itself matches with the lock keys on too.
        EXPECT_TRUE(backend.matchesNativeKeyPress(keyCode, superAlt | XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2));
        EXPECT_FALSE(backend.matchesNativeKeyPress(keyCode, XCB_MOD_MASK_1));
        EXPECT_FALSE(backend.matchesNativeKeyPress(keyCode, superAlt | XCB_MOD_MASK_CONTROL));

        auto feed = [&](std::uint8_t type, xcb_timestamp_t time) {
            xcb_key_press_event_t event{};
            event.response_type = type;
            event.detail = keyCode;
            event.time = time;
            event.root = root;
            event.event = root;
            event.state = superAlt;
            EXPECT_TRUE(backend.nativeEventFilter(QByteArrayLiteral("xcb_generic_event_t"), &event, nullptr));
            QCoreApplication::processEvents();
        };
        feed(XCB_KEY_PRESS, 100);
        EXPECT_EQ(presses, 1);
        // Detectable auto-repeat: more presses, no release.
        feed(XCB_KEY_PRESS, 130);
        feed(XCB_KEY_PRESS, 160);
        EXPECT_EQ(presses, 1);
        // Plain auto-repeat: a release and a press with the same time stamp.
        feed(XCB_KEY_RELEASE, 190);
        feed(XCB_KEY_PRESS, 190);
        EXPECT_EQ(presses, 1);
        // Let go, press again.
        feed(XCB_KEY_RELEASE, 220);
        feed(XCB_KEY_PRESS, 400);
        EXPECT_EQ(presses, 2);
        feed(XCB_KEY_RELEASE, 420);
        // Another key with the same modifiers is left to others.
        xcb_key_press_event_t other{};
        other.response_type = XCB_KEY_PRESS;
        other.detail = static_cast<std::uint8_t>(keyCode + 1);
        other.root = root;
        other.event = root;
        other.state = superAlt;
        EXPECT_FALSE(backend.nativeEventFilter(QByteArrayLiteral("xcb_generic_event_t"), &other, nullptr));
        EXPECT_EQ(presses, 2);
    }
    xcb_disconnect(connection);
}

TEST_F(X11GlobalShortcutTest, DisabledShortcutNoLongerFiresAndEnabledAgainDoes) {
    ShortcutProbe probe(*server_);
    ASSERT_EQ(probe.firstLine(), "count 0 error none");
    EXPECT_EQ(probe.command("disable"), "count 0 error none");
    press("super+alt+p");
    EXPECT_EQ(probe.command("sync"), "count 0 error none");
    EXPECT_EQ(probe.command("enable"), "count 0 error none");
    press("super+alt+p");
    EXPECT_EQ(probe.command("sync"), "count 1 error none");
}

TEST_F(X11GlobalShortcutTest, ShortcutHeldByAnotherClientIsReportedAndLeftToIt) {
    ShortcutProbe holder(*server_);
    ASSERT_EQ(holder.firstLine(), "count 0 error none");
    ShortcutProbe second(*server_);
    EXPECT_EQ(second.firstLine(), "count 0 error That shortcut is already in use by another app.");

    // The refused client took nothing: the holder still gets every press.
    press("super+alt+p");
    EXPECT_EQ(holder.command("sync"), "count 1 error none");
    EXPECT_EQ(second.command("sync"), "count 0 error That shortcut is already in use by another app.");

    // Once the holder lets go, switching the shortcut on again takes it.
    EXPECT_EQ(holder.command("disable"), "count 1 error none");
    EXPECT_EQ(second.command("enable"), "count 0 error none");
    press("super+alt+p");
    EXPECT_EQ(second.command("sync"), "count 1 error none");
    EXPECT_EQ(holder.command("sync"), "count 1 error none");
}

TEST_F(X11GlobalShortcutTest, KeymapChangeMovesTheGrabToTheKeysNewPlace) {
    ShortcutProbe probe(*server_);
    ASSERT_EQ(probe.firstLine(), "count 0 error none");
    // "p" moves from its own key to a free keycode.
    auto moved = server_->run(QStringLiteral("xmodmap"),
                              {QStringLiteral("-e"), QStringLiteral("keycode 33 = NoSymbol"), QStringLiteral("-e"),
                               QStringLiteral("keycode 200 = p P")});
    ASSERT_EQ(moved.exitCode, 0) << moved.output.toStdString();
    EXPECT_EQ(probe.command("sync"), "count 0 error none");
    press("super+alt+p");
    EXPECT_EQ(probe.command("sync"), "count 1 error none");
}

}  // namespace
}  // namespace quaylight
