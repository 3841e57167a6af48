#pragma once
// Scanner dependencies over a table of snapshots, recording the reads made.

#include <map>
#include <set>

#include "TidewatchKit/scanner/AgentScanner.h"

namespace quaylight::testsupport {

// A machine of snapshots by PID; records which reads the scanner made.
struct FakeMachine {
    bool listingFails = false;  // the PID list comes back empty
    std::vector<std::int32_t> pids;
    std::map<std::int32_t, ProcessSnapshot> detection;
    std::map<std::int32_t, std::uint64_t> cpu;  // PIDs whose activity read succeeds
    std::set<std::int32_t> activityReads;
    int enrichedReads = 0;
    std::optional<std::uint32_t> uidSeen;

    AgentScannerDependencies dependencies() {
        return {
            [this] { return listingFails ? std::vector<std::int32_t>{} : pids; },
            [] { return 501u; },
            [this](std::int32_t pid, std::uint32_t uid) -> std::optional<ProcessSnapshot> {
                uidSeen = uid;
                auto it = detection.find(pid);
                return it == detection.end() ? std::nullopt : std::optional(it->second);
            },
            [this](std::int32_t, std::uint32_t, bool) -> std::optional<ProcessSnapshot> {
                ++enrichedReads;
                return std::nullopt;
            },
            [this](const ProcessSnapshot& from, std::uint32_t) -> std::optional<ProcessSnapshot> {
                activityReads.insert(from.identity.pid);
                auto it = cpu.find(from.identity.pid);
                if (it == cpu.end()) return std::nullopt;
                auto s = from;
                s.cpuReadable = true;
                s.cpuTimeNanos = it->second;
                return s;
            },
        };
    }
    void add(const ProcessSnapshot& s) {
        pids.push_back(s.identity.pid);
        detection[s.identity.pid] = s;
    }
};

}  // namespace quaylight::testsupport
