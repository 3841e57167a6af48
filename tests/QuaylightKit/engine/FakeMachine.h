#pragma once
// A machine of fixed processes for the scan engine: every read the engine makes comes
// from these tables and is counted.

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "ProcessCoreKit/recognition/AgentProcessDetector.h"
#include "ProcessCoreKit/support/Text.h"
#include "QuaylightKit/engine/PortEngine.h"
#include "tests/QuaylightKit/Snapshots.h"

namespace quaylight::testsupport {

struct FakeMachine {
    std::uint32_t uid = 501;
    std::int32_t selfPID = 9999;
    std::vector<std::int32_t> pids;                         // the PID list, in list order
    std::map<std::int32_t, ProcessSnapshot> processes;      // every process, any user
    std::map<std::int32_t, std::vector<RawListeningSocket>> sockets;
    std::map<std::int32_t, ProcessIdentity> liveIdentities; // overrides: the PID now names another process
    std::map<std::int32_t, std::string> workingDirectories;
    std::set<std::string> files;
    HomeDirectory home = "/home/me";
    std::set<std::string> systemPaths;                     // strong system background executables
    std::optional<std::size_t> flagCount;                  // a broken flag reader: this many flags
    std::set<std::int32_t> uninspectable;
    WallTime now = wallTimeFromMicroseconds(1'780'000'000'000'000);

    int nowCalls = 0, tableFetches = 0, socketReads = 0, enrichedReads = 0, identityReads = 0, flagCalls = 0,
        homeReads = 0;
    std::map<std::int32_t, int> detectionReads;

    void add(ProcessSnapshot s, std::vector<RawListeningSocket> listening = {}) {
        auto pid = s.identity.pid;
        if (std::find(pids.begin(), pids.end(), pid) == pids.end()) pids.push_back(pid);
        if (!listening.empty()) sockets[pid] = std::move(listening);
        processes[pid] = std::move(s);
    }

    std::optional<ProcessSnapshot> read(std::int32_t pid, bool withArgv) const {
        auto it = processes.find(pid);
        if (it == processes.end()) return std::nullopt;
        auto s = it->second;
        s.sameUser = s.uid == uid;
        if (!withArgv) s.argv.reset();
        return s;
    }

    PortEngineDependencies dependencies() {
        PortEngineDependencies d;
        d.allPIDs = [this] { return pids; };
        d.isInspectableProgram = [this](std::int32_t pid) { return !uninspectable.count(pid); };
        d.currentUID = [this] { return uid; };
        d.currentPID = [this] { return selfPID; };
        d.listeningSocketReader = [this]() -> ListeningSocketReader {
            ++tableFetches;
            return [this](std::int32_t pid) {
                ++socketReads;
                auto it = sockets.find(pid);
                return it == sockets.end() ? std::vector<RawListeningSocket>{} : it->second;
            };
        };
        d.enrichedSnapshot = [this](std::int32_t pid, std::uint32_t myUID, bool includeArgv) {
            ++enrichedReads;
            auto s = read(pid, includeArgv);
            return s && s->uid == myUID ? s : std::nullopt;
        };
        d.agentPresenceSnapshot = [this](std::int32_t pid, std::uint32_t myUID) -> std::optional<ProcessSnapshot> {
            auto s = read(pid, true);
            if (!s || s->uid != myUID || !AgentProcessDetector::detect(*s)) return std::nullopt;
            return s;
        };
        d.detectionSnapshot = [this](std::int32_t pid, std::uint32_t) {
            ++detectionReads[pid];
            return read(pid, true);
        };
        d.liveResolveSnapshot = [this](std::int32_t pid) { return read(pid, false); };
        d.liveResolveSnapshotWithArgv = [this](std::int32_t pid) {
            auto s = read(pid, true);
            if (s && !s->sameUser) s->argv.reset();
            return s;
        };
        d.processIdentity = [this](std::int32_t pid) -> std::optional<ProcessIdentity> {
            ++identityReads;
            if (auto it = liveIdentities.find(pid); it != liveIdentities.end()) return it->second;
            auto it = processes.find(pid);
            return it == processes.end() ? std::nullopt : std::optional(it->second.identity);
        };
        d.currentWorkingDirectory = [this](std::int32_t pid) -> std::optional<std::string> {
            auto it = workingDirectories.find(pid);
            return it == workingDirectories.end() ? std::nullopt : std::optional(it->second);
        };
        d.directoryExists = [this](const std::string& path) { return files.count(path) > 0; };
        d.homeDirectory = [this] {
            ++homeReads;
            return home;
        };
        d.strongSystemBackgroundFlags = [this](const std::vector<std::optional<std::string>>& paths) {
            ++flagCalls;
            std::vector<bool> flags;
            for (const auto& path : paths) flags.push_back(path && systemPaths.count(*path));
            if (flagCount) flags.resize(*flagCount, false);
            return flags;
        };
        d.now = [this] {
            ++nowCalls;
            return now;
        };
        return d;
    }
};

}  // namespace quaylight::testsupport
