#pragma once
// The views other parts of the application bring to the delegate, each behind a small
// interface so the delegate can be built, run and tested before (and without) them: the
// popover's root view (its context, below the popover too) and the screen-top indicator.

#include <functional>
#include <memory>
#include <optional>

#include "Quaylight/notch/model/NotchIslandPresentation.h"
#include "Quaylight/shell/panel/PopoverContext.h"

namespace quaylight {

// The screen-top indicator as the delegate drives it. GUI thread only.
class NotchIndicator {
public:
    virtual ~NotchIndicator() = default;

    // The stored presentation: the one shown again when the desktop changes.
    virtual NotchIslandPresentation latestPresentation() const = 0;
    virtual void setLatestPresentation(const NotchIslandPresentation& presentation) = 0;
    // Set by the delegate around its own presentLatest, so the indicator's disposition
    // callback stays silent for changes the application itself caused.
    virtual bool isSynchronizingFromApp() const = 0;
    virtual void setSynchronizingFromApp(bool synchronizing) = 0;
    // Shows `presentationOverride` for this call only, or the stored presentation.
    virtual NotchIslandDisposition presentLatest(const std::optional<NotchIslandPresentation>& presentationOverride) = 0;
    virtual void hide() = 0;
    // Removes the wings at once; the last call.
    virtual void shutDown() = 0;
};

// Made on the first render; none while the indicator is not part of the build.
using NotchIndicatorFactory = std::function<std::unique_ptr<NotchIndicator>()>;

}  // namespace quaylight
