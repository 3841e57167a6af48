#pragma once
// Typed access to the display and control settings, over the one UserDefaults instance.
// Unknown stored texts read as the defaults and are never rewritten here.

#include <array>
#include <string_view>
#include <utility>

#include "ProcessCoreKit/records/BatteryMode.h"
#include "ProcessCoreKit/support/RawEnum.h"
#include "QuaylightKit/list/DefaultFilterSetting.h"
#include "QuaylightKit/platform/UserDefaults.h"
#include "Quaylight/shell/defaults/RowVisibleFields.h"

namespace quaylight {

class DisplaySettings {
public:
    enum class RowDensity { comfortable, compact };

    explicit DisplaySettings(UserDefaults& defaults) : defaults_(defaults) {}

    // "compact" gives compact; anything else, absent included, comfortable.
    RowDensity rowDensity() const;
    // "agents", "all", "lastUsed"; anything else agents.
    DefaultFilterSetting defaultFilter() const;
    // "batterySaver"; anything else balanced.
    BatteryMode batteryMode() const;
    // The nine column flags: port shown unless stored false, the others hidden unless true.
    RowVisibleFields visibleFields() const;
    bool autoCloseAfterOpening() const;

    void setRowDensity(RowDensity density);
    void setDefaultFilter(DefaultFilterSetting filter);
    void setBatteryMode(BatteryMode mode);
    // Stores all nine flags, in field order.
    void setVisibleFields(const RowVisibleFields& fields);

private:
    bool boolForKey(std::string_view key, bool fallback) const;

    UserDefaults& defaults_;
};

template <>
struct RawValues<DisplaySettings::RowDensity> {
    static constexpr std::array<std::pair<DisplaySettings::RowDensity, std::string_view>, 2> table{{
        {DisplaySettings::RowDensity::comfortable, "comfortable"},
        {DisplaySettings::RowDensity::compact, "compact"},
    }};
};

}  // namespace quaylight
