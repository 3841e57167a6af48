#pragma once
// A reduce-motion setting that tests switch by hand.

#include "Quaylight/design/platform/ReduceMotion.h"

namespace quaylight {

class FakeReduceMotion final : public ReduceMotionProvider {
public:
    explicit FakeReduceMotion(bool reduce = false) : reduce_(reduce) {}
    bool reduceMotion() const override { return reduce_; }
    void set(bool reduce) { reduce_ = reduce; }

private:
    bool reduce_;
};

}  // namespace quaylight
