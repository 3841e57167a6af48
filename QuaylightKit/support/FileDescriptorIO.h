#pragma once
// Whole reads and writes on a descriptor, through interrupted and partial system calls.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quaylight {

// Writes all of `bytes` to a descriptor, retrying interrupted and partial writes.
bool writeAll(int fd, std::string_view bytes);

// Reads until end of file or `limit` bytes, whichever comes first, retrying interrupted
// reads; no value when a read fails. Ask for one byte more than you accept to tell a
// longer input apart.
std::optional<std::string> readUpTo(int fd, std::size_t limit);

}  // namespace quaylight
