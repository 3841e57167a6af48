#pragma once

#include <functional>
#include <optional>
#include <string>

namespace quaylight {

// The bundle identifier of the application bundle that contains an executable. Only an
// executable in a bundle's Contents/MacOS folder has one. Linux has no application
// bundles, so the platform's lookup finds none; the path rule stays for other lookups.
struct BundleID {
    // Opens the bundle at a path ending in ".app" and returns its identifier.
    using BundleLookup = std::function<std::optional<std::string>(const std::string& bundlePath)>;

    static std::optional<std::string> forExecutablePath(const std::optional<std::string>& path,
                                                        const BundleLookup& lookup);
    // With the platform's lookup.
    static std::optional<std::string> forExecutablePath(const std::optional<std::string>& path);

    // The platform's lookup: no bundles on Linux.
    static std::optional<std::string> platformLookup(const std::string& bundlePath);
};

}  // namespace quaylight
