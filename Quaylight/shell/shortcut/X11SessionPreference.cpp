#include "Quaylight/shell/shortcut/X11SessionPreference.h"

#include <cstdlib>

namespace quaylight::X11SessionPreference {

namespace {

bool isSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

}  // namespace

bool preferX11WhenAvailable() {
    if (isSet("QT_QPA_PLATFORM")) return false;
    if (!isSet("WAYLAND_DISPLAY") || !isSet("DISPLAY")) return false;
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    return true;
}

}  // namespace quaylight::X11SessionPreference
