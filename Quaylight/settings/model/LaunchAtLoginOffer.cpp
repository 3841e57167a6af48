#include "Quaylight/settings/model/LaunchAtLoginOffer.h"

namespace quaylight {

const QString& LaunchAtLoginOffer::awaitingMessage() {
    static const QString text = QStringLiteral(
        "Your desktop's autostart settings are open. Turn on Quaylight there, then return here.");
    return text;
}

const QString& LaunchAtLoginOffer::notAddedMessage() {
    static const QString text =
        QStringLiteral("Quaylight could not be added to autostart. You can try again here or later in Settings.");
    return text;
}

const QString& LaunchAtLoginOffer::stillOffMessage() {
    static const QString text =
        QStringLiteral("Quaylight is not on yet. Turn it on in your desktop's autostart settings.");
    return text;
}

LaunchAtLoginOfferStep LaunchAtLoginOffer::afterEnable(const LaunchAtLoginOfferState& state,
                                                       LaunchAtLoginReconciler::ChangeResult result) {
    using Result = LaunchAtLoginReconciler::ChangeResult;
    switch (result) {
        case Result::enabled: return {state, true, false};
        case Result::requiresApproval: return {{awaitingMessage(), true}, std::nullopt, true};
        case Result::disabled:
        case Result::failed: return {{notAddedMessage(), false}, std::nullopt, false};
    }
    return {state, std::nullopt, false};
}

LaunchAtLoginOfferStep LaunchAtLoginOffer::afterApprovalCheck(const LaunchAtLoginOfferState& state, bool enabled) {
    if (enabled) return {state, true, false};
    return {{stillOffMessage(), state.awaitingApproval}, std::nullopt, false};
}

}  // namespace quaylight
