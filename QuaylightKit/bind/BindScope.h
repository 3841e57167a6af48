#pragma once

#include <vector>

#include "ProcessCoreKit/support/RawEnum.h"
#include "QuaylightKit/bind/BoundEndpoint.h"

namespace quaylight {

// Who can reach a port, in one word. A wildcard wins over everything else.
enum class BindScope { loopbackOnly, allInterfaces, specificInterface, mixed, unknown };

template <>
struct RawValues<BindScope> {
    static constexpr std::array<std::pair<BindScope, std::string_view>, 5> table{{
        {BindScope::loopbackOnly, "loopbackOnly"},
        {BindScope::allInterfaces, "allInterfaces"},
        {BindScope::specificInterface, "specificInterface"},
        {BindScope::mixed, "mixed"},
        {BindScope::unknown, "unknown"},
    }};
};

BindScope makeBindScope(const std::vector<BoundEndpoint>& endpoints);

}  // namespace quaylight
