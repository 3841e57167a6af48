#include "ProcessCoreKit/safety/ProcessSafetyClassifier.h"

#include <unistd.h>

#include <array>

#include "ProcessCoreKit/recognition/HostAppRecognition.h"
#include "ProcessCoreKit/safety/SystemClassifier.h"
#include "ProcessCoreKit/support/Text.h"

namespace quaylight {
namespace {

constexpr std::array<std::string_view, 6> kLoginShellBasenames{"zsh", "bash", "fish", "sh", "nu", "dash"};

// macOS's own session processes, then the Linux desktop session's. `systemd` covers the
// user's service manager, which adopts orphans and must never be stopped.
constexpr std::array<std::string_view, 25> kCoreSystemBasenames{
    "launchd",      "WindowServer", "loginwindow",          "Finder",       "ControlCenter", "SystemUIServer",
    "Dock",         "systemd",      "init",                 "dbus-daemon",  "dbus-broker",   "Xorg",
    "Xwayland",     "gnome-shell",  "gnome-session-binary", "plasmashell",  "kwin_x11",      "kwin_wayland",
    "ksmserver",    "xfce4-session", "xfce4-panel",         "xfwm4",        "pipewire",      "wireplumber",
    "pulseaudio",
};

template <std::size_t N>
bool contains(const std::array<std::string_view, N>& set, std::string_view value) {
    for (auto item : set)
        if (item == value) return true;
    return false;
}

}  // namespace

ProcessSafetyClassifier::Context ProcessSafetyClassifier::Context::current() {
    return Context{static_cast<std::int32_t>(::getpid()), static_cast<std::uint32_t>(::getuid())};
}

bool ProcessSafetyClassifier::isLoginShell(const ProcessSnapshot& snapshot) {
    auto basename = basenameOrName(snapshot.executablePath, snapshot.name);
    return basename && contains(kLoginShellBasenames, *basename);
}

bool ProcessSafetyClassifier::isCoreSystemProcess(const ProcessSnapshot& snapshot) {
    auto basename = basenameOrName(snapshot.executablePath, snapshot.name);
    if (!basename || !contains(kCoreSystemBasenames, *basename)) return false;
    if (snapshot.executablePath) {
        for (auto prefix : SystemClassifier::systemPrefixes)
            if (snapshot.executablePath->starts_with(prefix)) return true;
    }
    const auto& bundle = snapshot.bundleIdentifier;
    return bundle && (*bundle == "com.apple" || bundle->starts_with("com.apple."));
}

ProcessSafetyClass ProcessSafetyClassifier::classify(const ProcessSnapshot& snapshot, bool appleSystemBinary,
                                                     bool inQuaylightSubtree, const Context& context) {
    using R = ProtectionReason;
    if (snapshot.identity.pid == context.selfPID) return ProcessSafetyClass::protectedFor(R::quaylightSelf);
    if (snapshot.bundleIdentifier && *snapshot.bundleIdentifier == quaylightBundleID)
        return ProcessSafetyClass::protectedFor(R::quaylightSelf);
    if (inQuaylightSubtree) return ProcessSafetyClass::protectedFor(R::quaylightSelf);
    if (!snapshot.sameUser) return ProcessSafetyClass::protectedFor(R::unconfirmedOwner);
    if (snapshot.uid && *snapshot.uid != context.currentUID) return ProcessSafetyClass::protectedFor(R::unconfirmedOwner);
    if (HostAppRecognition::recognize(snapshot)) return ProcessSafetyClass::protectedFor(R::hostApp);
    if (isLoginShell(snapshot)) return ProcessSafetyClass::protectedFor(R::loginShell);
    if (appleSystemBinary) return ProcessSafetyClass::protectedFor(R::appleSystemProcess);
    if (isCoreSystemProcess(snapshot)) return ProcessSafetyClass::protectedFor(R::appleSystemProcess);
    return ProcessSafetyClass::actionable();
}

}  // namespace quaylight
