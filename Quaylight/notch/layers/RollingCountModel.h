#pragma once
// The rolling session count: a new number rolls in from below while the old one leaves
// upwards when the count rises, the other way round when it falls; a cross-fade when
// motion is reduced. Offsets are in the layer's own terms, y growing upwards.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Quaylight/notch/model/AnimatedValue.h"
#include "Quaylight/notch/model/NotchScheduler.h"

namespace quaylight {

class RollingCountModel {
public:
    struct Entry {
        std::uint64_t id = 0;
        int value = 0;
        std::string text;
        AnimatedValue opacity = AnimatedValue::still(1);
        AnimatedValue translationY = AnimatedValue::still(0);
    };

    explicit RollingCountModel(NotchScheduler& scheduler) : scheduler_(scheduler) {}

    // "99+" above 99, the plain number otherwise.
    static std::string text(int value);

    void setHeight(double height) { height_ = height; }
    double height() const { return height_; }

    void update(int value, bool reduceMotion, bool animated);
    // Ends a roll at once: the old number gone, the new one in place.
    void settleTransition();
    // No number: the next update shows its number without a roll.
    void reset();

    const std::optional<Entry>& current() const { return current_; }
    const std::vector<Entry>& outgoing() const { return outgoing_; }
    std::optional<int> currentValue() const;
    bool isMovingAt(double time) const;
    double motionEnd() const;

    // The whole count, faded and scaled by the completion sequence.
    AnimatedValue opacity = AnimatedValue::still(1);
    AnimatedValue scale = AnimatedValue::still(1);

private:
    Entry makeEntry(int value);

    NotchScheduler& scheduler_;
    NotchLifetime lifetime_ = makeNotchLifetime();
    double height_ = 16;
    std::optional<Entry> current_;
    std::vector<Entry> outgoing_;
    int transitionGeneration_ = 0;
    std::uint64_t nextID_ = 1;
};

}  // namespace quaylight
