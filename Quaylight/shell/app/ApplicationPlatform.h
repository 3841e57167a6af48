#pragma once
// Which Qt platform the tray application runs on, decided before Qt starts so that a
// session without any display ends with one "error: " line instead of Qt's abort. The
// tray, the key grab and the outside-click watch exist only on X11, so a Wayland session
// that also offers an X display (Xwayland) runs the application as an X11 client, unless
// the user chose a platform.

#include <functional>
#include <optional>
#include <string>

namespace quaylight {

struct ApplicationPlatform {
    struct Session {
        std::optional<std::string> chosenPlatform;  // QT_QPA_PLATFORM or -platform
        std::optional<std::string> display;         // DISPLAY
        std::optional<std::string> waylandDisplay;  // WAYLAND_DISPLAY
        std::function<bool(const std::string& display)> canReachX;
        std::function<bool(const std::string& waylandDisplay)> canReachWayland;
    };

    struct Decision {
        std::optional<std::string> platform;  // to set as QT_QPA_PLATFORM; none: Qt's choice
        std::optional<std::string> error;     // the text after "error: "
    };

    static Decision decide(const Session& session);

    // This process's environment and arguments, with real connection attempts.
    static Session current(int argc, char** argv);
};

}  // namespace quaylight
