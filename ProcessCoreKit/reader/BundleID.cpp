#include "ProcessCoreKit/reader/BundleID.h"

namespace quaylight {

std::optional<std::string> BundleID::forExecutablePath(const std::optional<std::string>& path,
                                                       const BundleLookup& lookup) {
    if (!path) return std::nullopt;
    constexpr std::string_view marker = ".app/Contents/MacOS/";
    auto at = path->find(marker);
    if (at == std::string::npos) return std::nullopt;
    return lookup(path->substr(0, at) + ".app");
}

std::optional<std::string> BundleID::forExecutablePath(const std::optional<std::string>& path) {
    if (!path || path->find(".app/Contents/MacOS/") == std::string::npos) return std::nullopt;
    return forExecutablePath(path, &BundleID::platformLookup);
}

std::optional<std::string> BundleID::platformLookup(const std::string&) { return std::nullopt; }

}  // namespace quaylight
