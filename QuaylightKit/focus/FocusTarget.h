#pragma once

#include <cstdint>
#include <string>

namespace quaylight {

// The host app to bring to the front for a listener.
struct FocusTarget {
    std::int32_t pid = 0;
    std::string displayName;

    friend bool operator==(const FocusTarget&, const FocusTarget&) = default;
};

}  // namespace quaylight
