#include "QuaylightKit/bind/BindScope.h"

namespace quaylight {

BindScope makeBindScope(const std::vector<BoundEndpoint>& endpoints) {
    if (endpoints.empty()) return BindScope::unknown;
    bool wildcard = false, loopback = false, specific = false;
    for (const auto& endpoint : endpoints) {
        if (endpoint.isAllInterfaces())
            wildcard = true;
        else if (endpoint.isLoopback())
            loopback = true;
        else
            specific = true;
    }
    if (wildcard) return BindScope::allInterfaces;
    if (!specific) return BindScope::loopbackOnly;
    return loopback ? BindScope::mixed : BindScope::specificInterface;
}

}  // namespace quaylight
