#include "Quaylight/shell/app/ApplicationPlatform.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string_view>

#include <xcb/xcb.h>

#include "ProcessCoreKit/support/OwnedDescriptor.h"

namespace quaylight {

namespace {

constexpr const char* kNoDisplay =
    "no display to show the tray application on (DISPLAY and WAYLAND_DISPLAY are unset or cannot be reached); "
    "run it in a desktop session";

std::optional<std::string> nonEmpty(const char* value) {
    if (!value || !*value) return std::nullopt;
    return std::string(value);
}

bool startsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

bool reachX(const std::string& display) {
    xcb_connection_t* connection = xcb_connect(display.c_str(), nullptr);
    const bool ok = connection && !xcb_connection_has_error(connection);
    if (connection) xcb_disconnect(connection);
    return ok;
}

bool reachWayland(const std::string& name) {
    std::string path = name;
    if (!startsWith(path, "/")) {
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        if (!runtime || !*runtime) return false;
        path = std::string(runtime) + "/" + name;
    }
    const OwnedDescriptor fd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd) return false;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path)) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
}

}  // namespace

ApplicationPlatform::Decision ApplicationPlatform::decide(const Session& session) {
    const bool hasX = session.display && session.canReachX && session.canReachX(*session.display);
    const bool hasWayland =
        session.waylandDisplay && session.canReachWayland && session.canReachWayland(*session.waylandDisplay);

    if (session.chosenPlatform) {
        // The user's choice stands; only the two display platforms can be checked first.
        const std::string& chosen = *session.chosenPlatform;
        if (startsWith(chosen, "xcb") && !hasX) return {std::nullopt, std::string(kNoDisplay)};
        if (startsWith(chosen, "wayland") && !hasWayland) return {std::nullopt, std::string(kNoDisplay)};
        return {};
    }
    if (hasX) return {std::string("xcb"), std::nullopt};
    if (hasWayland) return {std::string("wayland"), std::nullopt};
    return {std::nullopt, std::string(kNoDisplay)};
}

ApplicationPlatform::Session ApplicationPlatform::current(int argc, char** argv) {
    Session session;
    session.chosenPlatform = nonEmpty(std::getenv("QT_QPA_PLATFORM"));
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string_view(argv[i]) == "-platform" || std::string_view(argv[i]) == "--platform")
            session.chosenPlatform = std::string(argv[i + 1]);
    session.display = nonEmpty(std::getenv("DISPLAY"));
    session.waylandDisplay = nonEmpty(std::getenv("WAYLAND_DISPLAY"));
    session.canReachX = reachX;
    session.canReachWayland = reachWayland;
    return session;
}

}  // namespace quaylight
