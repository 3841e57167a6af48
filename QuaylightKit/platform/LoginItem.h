#pragma once
// The application's own login item: whether the desktop starts Quaylight when the user
// logs in. The application uses the XDG autostart entry (XdgAutostartLoginItem); tests use
// FakeLoginItem, the only way to reach "requires approval", which Linux desktops never ask.

#include <string>

namespace quaylight {

// The login item's state as the desktop reports it.
enum class LoginItemStatus {
    enabled,           // registered and enabled
    requiresApproval,  // registered, waiting for the user's approval
    notRegistered,     // anything else
};

// A register or unregister attempt as read back from the desktop; `failed` also when the
// attempt itself failed.
enum class LoginItemChangeResult { enabled, requiresApproval, disabled, failed };

class LoginItem {
public:
    using Status = LoginItemStatus;
    using ChangeResult = LoginItemChangeResult;

    virtual ~LoginItem() = default;

    virtual Status status() const = 0;
    // Where the user manages login items (what "open the settings" shows).
    virtual std::string settingsLocation() const = 0;

    // Registers the item, then reads its status back: enabled, requiresApproval, or
    // disabled when it is still not registered; failed when the system refused.
    ChangeResult registerItem() {
        if (!add()) return ChangeResult::failed;
        switch (status()) {
            case Status::enabled: return ChangeResult::enabled;
            case Status::requiresApproval: return ChangeResult::requiresApproval;
            case Status::notRegistered: return ChangeResult::disabled;
        }
        return ChangeResult::failed;
    }

    // Unregisters the item: disabled once it is gone, failed otherwise.
    ChangeResult unregisterItem() {
        if (!remove()) return ChangeResult::failed;
        return status() == Status::notRegistered ? ChangeResult::disabled : ChangeResult::failed;
    }

protected:
    // False when the system refused the change.
    virtual bool add() = 0;
    virtual bool remove() = 0;
};

}  // namespace quaylight
