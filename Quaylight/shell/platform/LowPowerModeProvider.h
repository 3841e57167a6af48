#pragma once
// Whether the system asks programs to save power (the "power-saver" profile). The scan and
// tracking loops ask before every pause, on their own threads.

#include <functional>

namespace quaylight {

class LowPowerModeProvider {
public:
    virtual ~LowPowerModeProvider() = default;
    // Any thread.
    virtual bool isLowPowerModeEnabled() const = 0;
};

// The provider as the loops take it; the provider must outlive the function.
inline std::function<bool()> lowPowerModeFunction(const LowPowerModeProvider& provider) {
    return [&provider] { return provider.isLowPowerModeEnabled(); };
}

}  // namespace quaylight
