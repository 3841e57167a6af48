#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "QuaylightKit/platform/UserDefaults.h"
#include "Quaylight/shell/shortcut/GlobalShortcutManager.h"
#include "Quaylight/shell/shortcut/X11SessionPreference.h"

namespace quaylight {
namespace {

TEST(SessionKeyGrab, ASessionWithoutX11HasNoGlobalShortcutAndSaysSo) {
    // The tests' application runs on the offscreen platform, like a Wayland session without
    // an X display.
    InMemoryUserDefaults defaults;
    GlobalShortcutManager manager(defaults, makeSessionKeyGrabBackend());
    manager.start([] {});
    EXPECT_EQ(manager.registrationError(), "Global shortcuts aren't available in this desktop session.");
    manager.setEnabled(false);
    EXPECT_FALSE(manager.registrationError());
}

class Environment {
public:
    explicit Environment(std::initializer_list<std::pair<const char*, const char*>> values) {
        for (const auto& [name, value] : values) {
            const char* old = std::getenv(name);
            saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
            if (value) ::setenv(name, value, 1);
            else ::unsetenv(name);
        }
    }
    ~Environment() {
        for (const auto& [name, value] : saved_) {
            if (value) ::setenv(name.c_str(), value->c_str(), 1);
            else ::unsetenv(name.c_str());
        }
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

struct SessionCase {
    const char* platform;
    const char* wayland;
    const char* display;
    bool chooses;
};

TEST(X11SessionPreference, AWaylandSessionWithAnXDisplayRunsAsAnX11Client) {
    const std::vector<SessionCase> cases{
        {nullptr, "wayland-0", ":0", true},
        {"", "wayland-0", ":0", true},
        {nullptr, "wayland-0", nullptr, false},
        {nullptr, nullptr, ":0", false},
        {"wayland", "wayland-0", ":0", false},
        {"offscreen", "wayland-0", ":0", false},
    };
    for (const auto& c : cases) {
        Environment environment{{"QT_QPA_PLATFORM", c.platform}, {"WAYLAND_DISPLAY", c.wayland}, {"DISPLAY", c.display}};
        EXPECT_EQ(X11SessionPreference::preferX11WhenAvailable(), c.chooses);
        const char* chosen = std::getenv("QT_QPA_PLATFORM");
        if (c.chooses) EXPECT_STREQ(chosen, "xcb");
        else if (c.platform) EXPECT_STREQ(chosen, c.platform);
        else EXPECT_EQ(chosen, nullptr);
    }
}

}  // namespace
}  // namespace quaylight
