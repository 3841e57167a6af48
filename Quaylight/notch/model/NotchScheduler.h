#pragma once
// Time for the indicator: a monotonic clock and delayed work. Delayed work is never
// cancelled: it holds its owner weakly (a dead owner's work is dropped) and re-checks the
// owner's generation counter itself, so that a newer change always wins.

#include <functional>
#include <memory>

namespace quaylight {

class NotchScheduler {
public:
    virtual ~NotchScheduler() = default;
    // Seconds on a monotonic clock.
    virtual double now() const = 0;
    // Runs `work` after `seconds` (0: on the next turn of the event loop), unless `owner`
    // has died by then.
    virtual void after(double seconds, std::weak_ptr<const void> owner, std::function<void()> work) = 0;
};

// What an owner hands to `after`: it dies with the owner.
using NotchLifetime = std::shared_ptr<const int>;
inline NotchLifetime makeNotchLifetime() { return std::make_shared<const int>(0); }

}  // namespace quaylight
