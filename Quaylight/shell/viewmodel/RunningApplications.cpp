#include "Quaylight/shell/viewmodel/RunningApplications.h"

#include <cstdlib>
#include <vector>

#include <QGuiApplication>


namespace quaylight {

namespace {

// Outside X11 no window list can be read: no application counts as running.
class NoRunningApplications final : public RunningApplications {
public:
    std::set<std::int32_t> pids() override { return {}; }
    void activate(std::int32_t) override {}
};

class X11RunningApplications final : public RunningApplications {
public:
    explicit X11RunningApplications(X11Connection connection) : x_(connection) {}

    std::set<std::int32_t> pids() override {
        std::set<std::int32_t> result;
        for (const auto& [window, pid] : windowsWithPIDs()) result.insert(pid);
        return result;
    }

    void activate(std::int32_t pid) override {
        for (const auto& [window, owner] : windowsWithPIDs()) {
            if (owner != pid) continue;
            // Source 2 (a pager): the request comes from outside the window's application,
            // which window managers honour without focus-stealing prevention.
            x_.sendRootClientMessage(window, x_.atom("_NET_ACTIVE_WINDOW"), {2, 0, 0, 0, 0});
            x_.flush();
            return;
        }
    }

private:
    std::vector<std::pair<std::uint32_t, std::int32_t>> windowsWithPIDs() {
        std::vector<std::pair<std::uint32_t, std::int32_t>> result;
        const auto pidAtom = x_.atom("_NET_WM_PID");
        for (const std::uint32_t window : x_.rootWindowList("_NET_CLIENT_LIST")) {
            const auto values = x_.cardinalProperty(window, pidAtom);
            if (!values.empty() && values.front() > 0) result.emplace_back(window, static_cast<std::int32_t>(values.front()));
        }
        return result;
    }

    X11Connection x_;
};

}  // namespace

std::shared_ptr<RunningApplications> RunningApplications::live() {
    if (auto connection = X11Connection::application()) return x11(*connection);
    return std::make_shared<NoRunningApplications>();
}

std::shared_ptr<RunningApplications> RunningApplications::x11(X11Connection connection) {
    return std::make_shared<X11RunningApplications>(connection);
}

}  // namespace quaylight
