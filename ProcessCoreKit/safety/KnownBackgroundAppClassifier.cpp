#include "ProcessCoreKit/safety/KnownBackgroundAppClassifier.h"

#include <string>
#include <string_view>

#include "ProcessCoreKit/support/Text.h"

namespace quaylight {

bool KnownBackgroundAppClassifier::isKnownBackground(const ProcessSnapshot& snapshot) {
    static constexpr std::string_view kBundleIdentifiers[] = {"com.raycast.macos", "company.thebrowser.dia",
                                                             "com.google.drivefs"};
    static constexpr std::string_view kPathFragments[] = {"/raycast.app/contents/", "/dia.app/contents/",
                                                         "/google drive.app/contents/"};
    if (snapshot.bundleIdentifier) {
        auto bundle = asciiLowercased(*snapshot.bundleIdentifier);
        for (auto known : kBundleIdentifiers)
            if (bundle == known) return true;
    }
    if (!snapshot.executablePath) return false;
    auto path = asciiLowercased(*snapshot.executablePath);
    for (auto fragment : kPathFragments)
        if (path.find(fragment) != std::string::npos) return true;
    return false;
}

}  // namespace quaylight
