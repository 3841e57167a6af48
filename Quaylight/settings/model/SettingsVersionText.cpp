#include "Quaylight/settings/model/SettingsVersionText.h"

namespace quaylight {

std::optional<std::string> SettingsVersionText::versionText(const std::optional<std::string>& version) {
    if (!version || version->empty()) return std::nullopt;
    return "VERSION " + *version;
}

}  // namespace quaylight
