#pragma once

#include <string>

#include "ProcessCoreKit/support/Time.h"

namespace quaylight {

// Internet date-time in UTC, whole seconds: "2026-12-10T13:01:10Z".
std::string iso8601UTC(WallTime time);

// The time of day in the user's time zone, C locale, medium style: "3:04:05 PM".
std::string mediumLocalTime(WallTime time);

}  // namespace quaylight
