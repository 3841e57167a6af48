#pragma once
// Where a host section gets the host app's own icon. The live provider asks the desktop's
// icon theme for the app's icon while its process runs; tests inject a fake.

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
    // The running host app's icon; none when it does not run or has no icon.
    virtual std::optional<QIcon> icon(const AgentHostDescriptor& host) = 0;
};

// The icon-theme names a host kind's desktop entries use, best first.
std::vector<std::string_view> hostDesktopIconNames(HostAppKind kind);

// Looks the icon up in the icon theme by the host kind's desktop names, while the host's
// process (pid and start time) is alive. Caches per process identity.
class ThemeHostIconProvider : public HostIconProvider {
public:
    std::optional<QIcon> icon(const AgentHostDescriptor& host) override;

private:
    std::map<ProcessIdentity, std::optional<QIcon>> cache_;
};

}  // namespace quaylight
