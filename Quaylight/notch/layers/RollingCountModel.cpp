#include "Quaylight/notch/layers/RollingCountModel.h"

#include <algorithm>

namespace quaylight {

std::string RollingCountModel::text(int value) { return value > 99 ? "99+" : std::to_string(value); }

RollingCountModel::Entry RollingCountModel::makeEntry(int value) {
    Entry entry;
    entry.id = nextID_++;
    entry.value = value;
    entry.text = text(value);
    return entry;
}

std::optional<int> RollingCountModel::currentValue() const {
    if (!current_) return std::nullopt;
    return current_->value;
}

void RollingCountModel::update(int value, bool reduceMotion, bool animated) {
    const int v = std::max(0, value);
    if (!current_) {
        current_ = makeEntry(v);
        return;
    }
    if (v == current_->value) return;
    settleTransition();
    const bool up = v > current_->value;
    Entry old = std::move(*current_);
    current_ = makeEntry(v);
    if (!animated) return;

    const int generation = ++transitionGeneration_;
    const double now = scheduler_.now();
    const double duration = reduceMotion ? 0.14 : 0.2;
    const TimingCurve curve = reduceMotion ? TimingCurve::fastOut() : TimingCurve::strongEaseInOut();
    const double h = std::max(height_, 1.0);
    // Rising numbers come in from below and leave upwards; a cross-fade under reduced motion.
    const double travel = reduceMotion ? 0 : h;
    current_->translationY.animate(now, up ? -travel : travel, 0, duration, curve);
    current_->opacity.animate(now, 0, 1, duration, curve);
    old.translationY.animate(now, 0, up ? travel : -travel, duration, curve);
    old.opacity.animate(now, 1, 0, duration, curve);
    const auto oldID = old.id;
    outgoing_.push_back(std::move(old));
    scheduler_.after(duration, lifetime_, [this, generation, oldID] {
        if (transitionGeneration_ != generation) return;
        std::erase_if(outgoing_, [oldID](const Entry& e) { return e.id == oldID; });
    });
}

void RollingCountModel::settleTransition() {
    ++transitionGeneration_;
    outgoing_.clear();
    if (current_) {
        current_->opacity.set(1);
        current_->translationY.set(0);
    }
}

void RollingCountModel::reset() {
    settleTransition();
    current_.reset();
}

bool RollingCountModel::isMovingAt(double time) const {
    if (opacity.isRunningAt(time) || scale.isRunningAt(time)) return true;
    if (current_ && (current_->opacity.isRunningAt(time) || current_->translationY.isRunningAt(time))) return true;
    return std::any_of(outgoing_.begin(), outgoing_.end(), [time](const Entry& e) {
        return e.opacity.isRunningAt(time) || e.translationY.isRunningAt(time);
    });
}

double RollingCountModel::motionEnd() const {
    double end = std::max(opacity.endTime(), scale.endTime());
    if (current_) end = std::max({end, current_->opacity.endTime(), current_->translationY.endTime()});
    for (const auto& e : outgoing_) end = std::max({end, e.opacity.endTime(), e.translationY.endTime()});
    return end;
}

}  // namespace quaylight
