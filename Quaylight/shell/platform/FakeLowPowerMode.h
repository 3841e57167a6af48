#pragma once
// A power-saver state a test sets, from any thread.

#include <atomic>

#include "Quaylight/shell/platform/LowPowerModeProvider.h"

namespace quaylight {

class FakeLowPowerMode final : public LowPowerModeProvider {
public:
    std::atomic<bool> enabled{false};
    bool isLowPowerModeEnabled() const override { return enabled.load(); }
};

}  // namespace quaylight
