#pragma once
// The login item as the settings and the first-run offer use it: the XDG autostart entry
// for the running executable, switched on and off, and the autostart folder opened for
// the user ("Open Autostart Settings").

#include <QUrl>
#include <functional>
#include <memory>

#include "QuaylightKit/platform/LoginItem.h"

namespace quaylight {

class LaunchAtLoginManager {
public:
    using ChangeResult = LoginItem::ChangeResult;
    using Status = LoginItem::Status;
    using UrlOpener = std::function<bool(const QUrl&)>;

    LaunchAtLoginManager(std::unique_ptr<LoginItem> item, UrlOpener openUrl);

    // XdgAutostartLoginItem for this process's executable (/proc/self/exe) in the XDG
    // config home; folders open through QDesktopServices.
    static std::unique_ptr<LaunchAtLoginManager> forRunningExecutable();

    Status status() const { return item_->status(); }
    bool isEnabled() const { return status() == Status::enabled; }
    ChangeResult registerItem() { return item_->registerItem(); }
    ChangeResult unregisterItem() { return item_->unregisterItem(); }

    // Opens the folder where the user manages login items, making it first when missing;
    // false when it could not be made or opened.
    bool openLoginItemsSettings();

    LoginItem& item() { return *item_; }

private:
    std::unique_ptr<LoginItem> item_;
    UrlOpener openUrl_;
};

}  // namespace quaylight
