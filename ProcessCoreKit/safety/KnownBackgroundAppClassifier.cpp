#include "ProcessCoreKit/safety/KnownBackgroundAppClassifier.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>

namespace quaylight {
namespace {

std::string lowercased(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    return lower;
}

}  // namespace

bool KnownBackgroundAppClassifier::isKnownBackground(const ProcessSnapshot& snapshot) {
    static constexpr std::string_view kBundleIdentifiers[] = {"com.raycast.macos", "company.thebrowser.dia",
                                                             "com.google.drivefs"};
    static constexpr std::string_view kPathFragments[] = {"/raycast.app/contents/", "/dia.app/contents/",
                                                         "/google drive.app/contents/"};
    if (snapshot.bundleIdentifier) {
        auto bundle = lowercased(*snapshot.bundleIdentifier);
        for (auto known : kBundleIdentifiers)
            if (bundle == known) return true;
    }
    if (!snapshot.executablePath) return false;
    auto path = lowercased(*snapshot.executablePath);
    for (auto fragment : kPathFragments)
        if (path.find(fragment) != std::string::npos) return true;
    return false;
}

}  // namespace quaylight
