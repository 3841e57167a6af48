#pragma once
// The brand footer's version text.

#include <optional>
#include <string>

namespace quaylight {

struct SettingsVersionText {
    // "VERSION 1.4.0"; nothing without a version.
    static std::optional<std::string> versionText(const std::optional<std::string>& version);
};

}  // namespace quaylight
