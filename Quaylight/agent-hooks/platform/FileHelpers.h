#pragma once
// Small file-system steps shared by the relay, the socket server and the settings editor.

#include <sys/types.h>

#include <cstddef>
#include <string>

namespace quaylight {

// Reads from `fd` until end of file, an error or `limit` bytes, retrying interrupted
// reads; keeps whatever arrived.
std::string readUpTo(int fd, std::size_t limit);

// Creates `path` and every missing folder above it with `mode` (not narrowed by the
// creation mask). True when a folder is there afterwards.
bool createDirectories(const std::string& path, mode_t mode);

// `path` without its last component ("/" stays "/", a bare name gives ".").
std::string parentFolder(const std::string& path);

}  // namespace quaylight
