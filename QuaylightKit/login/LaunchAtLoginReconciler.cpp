#include "QuaylightKit/login/LaunchAtLoginReconciler.h"

namespace quaylight {

using Reconciler = LaunchAtLoginReconciler;

Reconciler::Presentation Reconciler::presentation(SystemStatus status) {
    Presentation p;
    p.toggleOn = status == SystemStatus::enabled;
    p.needsApproval = status == SystemStatus::requiresApproval;
    if (p.needsApproval) p.caption = std::string(approvalCaption);
    return p;
}

Reconciler::Presentation Reconciler::presentation(bool desired, ChangeResult result, SystemStatus status) {
    Presentation p = presentation(status);
    if (desired) {
        switch (result) {
            case ChangeResult::disabled:
            case ChangeResult::failed: p.caption = std::string(addFailedCaption); break;
            case ChangeResult::requiresApproval:
                p.caption = std::string(approvalCaption);
                p.needsApproval = true;
                p.openLoginItemsSettings = true;
                break;
            case ChangeResult::enabled: break;
        }
    } else if (result != ChangeResult::disabled) {
        p.caption = std::string(removeFailedCaption);
    }
    return p;
}

std::optional<bool> Reconciler::toggleWrite(bool current, const Presentation& presentation) {
    if (presentation.toggleOn == current) return std::nullopt;
    return presentation.toggleOn;
}

}  // namespace quaylight
