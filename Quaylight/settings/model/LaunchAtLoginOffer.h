#pragma once
// The first-run offer to start Quaylight at login, as a state and the two decisions that
// move it: the answer to "Open at Login" and the answer to "I Turned It On".

#include <QString>
#include <optional>

#include "QuaylightKit/login/LaunchAtLoginReconciler.h"

namespace quaylight {

struct LaunchAtLoginOfferState {
    std::optional<QString> message;
    bool awaitingApproval = false;
    friend bool operator==(const LaunchAtLoginOfferState&, const LaunchAtLoginOfferState&) = default;
};

struct LaunchAtLoginOfferStep {
    LaunchAtLoginOfferState state;
    std::optional<bool> complete;  // finish the offer with this answer
    bool openSettings = false;     // open the desktop's autostart settings now
    friend bool operator==(const LaunchAtLoginOfferStep&, const LaunchAtLoginOfferStep&) = default;
};

struct LaunchAtLoginOffer {
    static const QString& awaitingMessage();
    static const QString& notAddedMessage();
    static const QString& stillOffMessage();

    static LaunchAtLoginOfferStep afterEnable(const LaunchAtLoginOfferState& state,
                                              LaunchAtLoginReconciler::ChangeResult result);
    static LaunchAtLoginOfferStep afterApprovalCheck(const LaunchAtLoginOfferState& state, bool enabled);
};

}  // namespace quaylight
