#pragma once
// A clock that moves only when told: work runs in the order it falls due.

#include <cstdint>
#include <vector>

#include "Quaylight/notch/model/NotchScheduler.h"

namespace quaylight {

class ManualNotchScheduler final : public NotchScheduler {
public:
    double now() const override { return now_; }
    void after(double seconds, std::weak_ptr<const void> owner, std::function<void()> work) override;

    // Moves the clock on by `seconds`, running each piece of work as its time comes
    // (also work scheduled meanwhile that falls due within the step).
    void advance(double seconds);
    // Runs the work due now: one turn of the event loop.
    void turn() { advance(0); }
    // Pieces of work still waiting (dead owners included until their time comes).
    std::size_t pendingCount() const { return pending_.size(); }

private:
    struct Pending {
        double due;
        std::uint64_t order;
        std::weak_ptr<const void> owner;
        std::function<void()> work;
    };
    double now_ = 1000.0;
    std::uint64_t nextOrder_ = 0;
    std::vector<Pending> pending_;
};

}  // namespace quaylight
