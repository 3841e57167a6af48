#pragma once
// Small builders for snapshots in logic tests.

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "ProcessCoreKit/ancestry/ProcessAncestry.h"
#include "ProcessCoreKit/records/ProcessSnapshot.h"

namespace quaylight::testing {

inline ProcessSnapshot process(std::int32_t pid, std::optional<std::string> path, std::optional<std::int32_t> parent = 1,
                               std::uint64_t startSeconds = 1000) {
    ProcessSnapshot s;
    s.identity = {pid, startSeconds, 0};
    s.executablePath = std::move(path);
    if (s.executablePath) {
        auto slash = s.executablePath->rfind('/');
        s.name = s.executablePath->substr(slash == std::string::npos ? 0 : slash + 1).substr(0, 15);
    }
    s.parentPID = parent;
    s.uid = 501;
    s.sameUser = true;
    return s;
}

inline ProcessSnapshot withArgv(ProcessSnapshot s, std::vector<std::string> argv) {
    s.argv = std::move(argv);
    return s;
}

// A chain where each process is the parent of the next: chain[0] is the topmost.
struct ProcessTable {
    std::unordered_map<std::int32_t, ProcessSnapshot> byPID;
    int lookups = 0;

    void add(const ProcessSnapshot& s) { byPID.insert_or_assign(s.identity.pid, s); }
    SnapshotLookup lookup() {
        return [this](std::int32_t pid) -> std::optional<ProcessSnapshot> {
            ++lookups;
            auto it = byPID.find(pid);
            return it == byPID.end() ? std::nullopt : std::optional(it->second);
        };
    }
};

}  // namespace quaylight::testing
