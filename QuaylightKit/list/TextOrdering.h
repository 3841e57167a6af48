#pragma once

#include <algorithm>
#include <string_view>

namespace quaylight {

// Compares two texts ignoring ASCII letter case: negative, zero or positive. Bytes beyond
// ASCII compare by value, which keeps UTF-8 texts in code point order.
inline int compareCaseInsensitive(std::string_view a, std::string_view b) {
    auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : static_cast<int>(c); };
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        int x = lower(static_cast<unsigned char>(a[i]));
        int y = lower(static_cast<unsigned char>(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

}  // namespace quaylight
