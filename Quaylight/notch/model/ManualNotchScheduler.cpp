#include "Quaylight/notch/model/ManualNotchScheduler.h"

#include <algorithm>

namespace quaylight {

void ManualNotchScheduler::after(double seconds, std::weak_ptr<const void> owner, std::function<void()> work) {
    pending_.push_back({now_ + std::max(0.0, seconds), nextOrder_++, std::move(owner), std::move(work)});
}

void ManualNotchScheduler::advance(double seconds) {
    const double end = now_ + std::max(0.0, seconds);
    // A small tolerance, so that "after 0.16 + 0.72 s" falls due at an advance of 0.88 s.
    constexpr double epsilon = 1e-9;
    for (;;) {
        auto next = std::min_element(pending_.begin(), pending_.end(), [](const Pending& a, const Pending& b) {
            return a.due != b.due ? a.due < b.due : a.order < b.order;
        });
        if (next == pending_.end() || next->due > end + epsilon) break;
        Pending item = std::move(*next);
        pending_.erase(next);
        now_ = std::max(now_, item.due);
        if (auto alive = item.owner.lock()) item.work();
    }
    now_ = end;
}

}  // namespace quaylight
