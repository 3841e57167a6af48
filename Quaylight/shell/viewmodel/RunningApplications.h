#pragma once
// Which processes are running applications (own a top-level client window of the desktop)
// and bringing one of them to the front. GUI thread only.

#include <cstdint>
#include <memory>
#include <set>

#include "Quaylight/shell/x11/X11Connection.h"

namespace quaylight {

class RunningApplications {
public:
    virtual ~RunningApplications() = default;

    // The PIDs that own a top-level window now; one read of the window list per call.
    virtual std::set<std::int32_t> pids() = 0;
    // Asks the window manager to activate a window of that PID; nothing when it has none.
    virtual void activate(std::int32_t pid) = 0;

    // The X11 desktop's (_NET_CLIENT_LIST, _NET_WM_PID, _NET_ACTIVE_WINDOW) when the
    // application runs on X11; otherwise one that knows no application and does nothing.
    static std::shared_ptr<RunningApplications> live();
    // The desktop of one X connection.
    static std::shared_ptr<RunningApplications> x11(X11Connection connection);
};

}  // namespace quaylight
