#pragma once
// The file system as the project rule and the scan engine see it.

#include <functional>
#include <optional>
#include <string>

#include "QuaylightKit/project/HomeDirectory.h"

namespace quaylight {

// Whether anything exists at the path (following symbolic links).
bool pathExists(const std::string& path);

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
