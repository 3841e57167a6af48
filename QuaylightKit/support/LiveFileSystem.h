#pragma once
// The live file system: existence tests, the home folder, and the careful reads and folder
// creation of the files Quaylight edits.

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "QuaylightKit/project/HomeDirectory.h"

namespace quaylight {

// Whether anything exists at the path (following symbolic links).
bool pathExists(const std::string& path);

// The bytes of a regular file of at most `limit` bytes, opened without following a
// symbolic link and without blocking on a FIFO swapped in after the path was examined. No
// value for anything else, for a larger file and when a read fails. `examined`, when
// given, receives the opened file's status.
std::optional<std::string> readRegularFile(const std::string& path, std::size_t limit,
                                           struct stat* examined = nullptr);

// Creates `path` and every missing folder above it with `mode` (not narrowed by the
// creation mask). True when a folder is there afterwards.
bool createDirectories(const std::string& path, mode_t mode);

// $HOME when set and absolute, else the password database's entry for the real user;
// with its real path when a symbolic link leads there.
HomeDirectory currentHomeDirectory();

// The rule behind currentHomeDirectory, over injected reads.
struct HomeDirectorySources {
    std::optional<std::string> environmentHome;
    std::function<std::optional<std::string>()> passwordDatabaseHome;
    std::function<std::optional<std::string>(const std::string&)> realPath;
};
HomeDirectory homeDirectory(const HomeDirectorySources& sources);

}  // namespace quaylight
