#pragma once
// What the "Open Quaylight at login" toggle shows, from the login item's state as the
// system reports it and the outcome of the user's last attempt to change it. The toggle
// always shows the system's true state, never the user's wish; a failed change becomes a
// caption that sends the user to the desktop's autostart settings.

#include <optional>
#include <string>
#include <string_view>

#include "QuaylightKit/platform/LoginItem.h"

namespace quaylight {

struct LaunchAtLoginReconciler {
    using SystemStatus = LoginItemStatus;
    using ChangeResult = LoginItemChangeResult;

    struct Presentation {
        bool toggleOn = false;
        bool needsApproval = false;
        std::optional<std::string> caption;
        bool openLoginItemsSettings = false;
        friend bool operator==(const Presentation&, const Presentation&) = default;
    };

    static constexpr std::string_view approvalCaption = "Turn on Quaylight in your desktop's autostart settings.";
    static constexpr std::string_view addFailedCaption =
        "Couldn't add Quaylight to autostart. Try your desktop's autostart settings.";
    static constexpr std::string_view removeFailedCaption =
        "Couldn't remove Quaylight from autostart. Try your desktop's autostart settings.";

    static Presentation presentation(SystemStatus status);
    // `desired`: the toggle value the user chose; `status`: read after the attempt.
    static Presentation presentation(bool desired, ChangeResult result, SystemStatus status);
    // The value to store for a toggle now showing `current`: the presentation's when it
    // differs, else nothing to write.
    static std::optional<bool> toggleWrite(bool current, const Presentation& presentation);
};

}  // namespace quaylight
