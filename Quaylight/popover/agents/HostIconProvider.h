#pragma once
// Where a host section gets the host app's own icon. The live provider asks the desktop's
// icon theme for the app's icon; whether the app still runs comes with the inventory
// snapshot, so a section asks only for a running host. Tests inject a fake.

#include <QIcon>
#include <map>
#include <optional>
#include <string_view>
#include <vector>

#include "Quaylight/agent-inventory/model/AgentSessionSnapshot.h"

namespace quaylight {

class HostIconProvider {
public:
    virtual ~HostIconProvider() = default;
    // The host app's icon; none when it has none. Called on the GUI thread: reads no files
    // of the process.
    virtual std::optional<QIcon> icon(const AgentHostDescriptor& host) = 0;
};

// The icon-theme names a host kind's desktop entries use, best first.
std::vector<std::string_view> hostDesktopIconNames(HostAppKind kind);

// Looks the icon up in the icon theme by the host kind's desktop names, once per kind.
class ThemeHostIconProvider : public HostIconProvider {
public:
    std::optional<QIcon> icon(const AgentHostDescriptor& host) override;

private:
    std::map<HostAppKind, std::optional<QIcon>> cache_;
};

}  // namespace quaylight
