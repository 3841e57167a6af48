#pragma once
// A host icon provider for tests: answers from a table by pid and counts the questions.

#include <map>

#include "Quaylight/popover/agents/HostIconProvider.h"

namespace quaylight {

class FakeHostIconProvider : public HostIconProvider {
public:
    std::optional<QIcon> icon(const AgentHostDescriptor& host) override {
        ++lookups;
        auto found = iconsByPid.find(host.identity.pid);
        if (found == iconsByPid.end()) return std::nullopt;
        return found->second;
    }

    std::map<int, QIcon> iconsByPid;
    int lookups = 0;
};

}  // namespace quaylight
