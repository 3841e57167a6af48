#include "ProcessCoreKit/reader/BundleID.h"

namespace quaylight {
namespace {

constexpr std::string_view kExecutableFolder = ".app/Contents/MacOS/";

}  // namespace

std::optional<std::string> BundleID::forExecutablePath(const std::optional<std::string>& path,
                                                       const BundleLookup& lookup) {
    if (!path) return std::nullopt;
    auto at = path->find(kExecutableFolder);
    if (at == std::string::npos) return std::nullopt;
    return lookup(path->substr(0, at) + ".app");
}

std::optional<std::string> BundleID::forExecutablePath(const std::optional<std::string>& path) {
    // Every snapshot asks: a path outside any bundle is answered before a lookup is made.
    if (!path || path->find(kExecutableFolder) == std::string::npos) return std::nullopt;
    return forExecutablePath(path, &BundleID::platformLookup);
}

std::optional<std::string> BundleID::platformLookup(const std::string&) { return std::nullopt; }

}  // namespace quaylight
