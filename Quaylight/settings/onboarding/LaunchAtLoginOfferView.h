#pragma once
// The one-time first-run screen that offers to start Quaylight at login (an XDG autostart
// entry). Accepting registers the entry; where the desktop holds it for the user's
// approval, the offer opens the autostart settings and lets the user confirm afterwards.
// It ends by calling `onComplete` with whether the entry is on; the host stores that.

#include <QWidget>
#include <functional>

#include "Quaylight/settings/model/LaunchAtLoginOffer.h"
#include "QuaylightKit/platform/UserDefaults.h"

class QLabel;

namespace quaylight {

class LaunchAtLoginManager;
class PremiumCard;

class LaunchAtLoginOfferView : public QWidget {
    Q_OBJECT
public:
    struct Dependencies {
        // The autostart entry, and the folder "Open Autostart Settings" opens.
        LaunchAtLoginManager* launchAtLogin = nullptr;
        UserDefaults* defaults = nullptr;
    };

    LaunchAtLoginOfferView(Dependencies dependencies, std::function<void(bool)> onComplete, QWidget* parent = nullptr);

    const LaunchAtLoginOfferState& state() const { return state_; }

    // The actions of "Open at Login" and "I Turned It On".
    void enableAtLogin();
    void reconcileAfterApproval();

private:
    void apply(const LaunchAtLoginOfferStep& step);
    void render();

    Dependencies dependencies_;
    std::function<void(bool)> onComplete_;
    LaunchAtLoginOfferState state_;
    PremiumCard* plainCard_ = nullptr;
    PremiumCard* approvalCard_ = nullptr;
    QLabel* plainText_ = nullptr;
    QLabel* approvalText_ = nullptr;
    QWidget* approvalRow_ = nullptr;
};

}  // namespace quaylight
