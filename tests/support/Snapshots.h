#pragma once
// Process snapshots for logic tests, and a process table to walk ancestries over.

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "ProcessCoreKit/ancestry/ProcessAncestry.h"
#include "ProcessCoreKit/records/ProcessSnapshot.h"
#include "ProcessCoreKit/support/Text.h"

namespace quaylight::testsupport {

// One of the user's processes (uid 501), named after its executable as the kernel names
// it: at most 15 bytes.
inline ProcessSnapshot process(std::int32_t pid, std::optional<std::string> path, std::optional<std::int32_t> parent = 1,
                               std::uint64_t startSeconds = 1000) {
    ProcessSnapshot s;
    s.identity = {pid, startSeconds, 0};
    s.executablePath = std::move(path);
    if (s.executablePath) s.name = pathBasename(*s.executablePath).value_or("").substr(0, 15);
    s.parentPID = parent;
    s.uid = 501;
    s.sameUser = true;
    return s;
}

inline ProcessSnapshot withArgv(ProcessSnapshot s, std::vector<std::string> argv) {
    s.argv = std::move(argv);
    return s;
}

// Snapshots by PID behind a lookup that records every PID it is asked for.
struct ProcessTable {
    std::unordered_map<std::int32_t, ProcessSnapshot> byPID;
    std::vector<std::int32_t> reads;

    ProcessTable() = default;
    explicit ProcessTable(const std::vector<ProcessSnapshot>& snapshots) {
        for (const auto& s : snapshots) add(s);
    }
    void add(const ProcessSnapshot& s) { byPID.insert_or_assign(s.identity.pid, s); }
    SnapshotLookup lookup() {
        return [this](std::int32_t pid) -> std::optional<ProcessSnapshot> {
            reads.push_back(pid);
            auto it = byPID.find(pid);
            return it == byPID.end() ? std::nullopt : std::optional(it->second);
        };
    }
};

}  // namespace quaylight::testsupport
