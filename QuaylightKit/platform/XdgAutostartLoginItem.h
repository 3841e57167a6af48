#pragma once
// The login item as an XDG autostart entry: "quaylight.desktop" in the "autostart" folder
// of the XDG config home, whose Exec line starts the installed executable. The entry
// counts as enabled only when it starts that very executable and is neither hidden nor
// switched off; turning it on (re)writes the entry atomically, turning it off removes it.

#include <optional>
#include <string>
#include <string_view>

#include "QuaylightKit/platform/LoginItem.h"

namespace quaylight {

class XdgAutostartLoginItem final : public LoginItem {
public:
    static constexpr std::string_view entryName = "quaylight.desktop";

    // `executablePath`: the installed program (<prefix>/bin/quaylight); `configHome`: the
    // XDG config home.
    explicit XdgAutostartLoginItem(std::string executablePath, std::string configHome = configHomeFromEnvironment());

    Status status() const override;
    std::string settingsLocation() const override { return autostartFolder(); }

    std::string autostartFolder() const { return configHome_ + "/autostart"; }
    std::string entryPath() const { return autostartFolder() + "/" + std::string(entryName); }

    // $XDG_CONFIG_HOME when set and absolute, else ".config" in the home folder.
    static std::string configHomeFromEnvironment();

    // The entry this item writes for `executablePath`.
    static std::string entryText(std::string_view executablePath);
    // The program an entry's Exec line starts (the first word, unquoted and unescaped), if
    // the entry is an application that is neither hidden nor switched off.
    static std::optional<std::string> launchedProgram(std::string_view entryText);

protected:
    bool add() override;
    bool remove() override;

private:
    std::string executablePath_;
    std::string configHome_;
};

}  // namespace quaylight
