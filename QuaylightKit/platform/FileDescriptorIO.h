#pragma once

#include <string_view>

namespace quaylight {

// Writes all of `bytes` to a descriptor, retrying interrupted and partial writes.
bool writeAll(int fd, std::string_view bytes);

}  // namespace quaylight
