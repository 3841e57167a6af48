#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quaylight {

// The user's home folder in both spellings a path may reach it by: as configured, and as
// the kernel reports working directories when a symbolic link leads there (/home/a linked
// to /data/a). Both are standardized, so a trailing "/" or a "." never hides the home.
struct HomeDirectory {
    std::string path;
    std::optional<std::string> resolvedPath;  // only when it differs from `path`

    HomeDirectory() = default;
    // A home known by one spelling only.
    HomeDirectory(std::string_view folder);  // NOLINT: a plain path is the common case
    HomeDirectory(const char* folder) : HomeDirectory(std::string_view(folder)) {}
    HomeDirectory(const std::string& folder) : HomeDirectory(std::string_view(folder)) {}
    HomeDirectory(std::string_view folder, std::string_view resolvedFolder);

    // Whether a standardized absolute folder is the home folder.
    bool matches(std::string_view standardizedDirectory) const;

    friend bool operator==(const HomeDirectory&, const HomeDirectory&) = default;
};

}  // namespace quaylight
