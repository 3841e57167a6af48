#pragma once
// Every read the scan engine makes of the machine, so that a whole scan runs on fixed
// inputs in tests.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ProcessCoreKit/platform/Libproc.h"
#include "ProcessCoreKit/platform/ListeningSocketOwners.h"
#include "ProcessCoreKit/reader/RememberedArguments.h"
#include "ProcessCoreKit/records/ProcessSnapshot.h"
#include "ProcessCoreKit/records/RawListeningSocket.h"
#include "ProcessCoreKit/support/Time.h"
#include "QuaylightKit/engine/ConcurrentForEach.h"
#include "QuaylightKit/project/HomeDirectory.h"

namespace quaylight {

// The listening TCP sockets of one process, in descriptor order.
using ListeningSocketReader = std::function<std::vector<RawListeningSocket>(std::int32_t pid)>;

struct PortEngineDependencies {
    std::function<std::vector<std::int32_t>()> allPIDs;
    // False for a process that can give the scan nothing: a kernel thread or zombie, or a
    // process whose program and descriptors are closed to us. Checked first, as it costs
    // far less than the reads it saves. Unset: every process is read.
    std::function<bool(std::int32_t pid)> isInspectableProgram;
    std::function<std::uint32_t()> currentUID;
    std::function<std::int32_t()> currentPID;
    // Fetches the kernel's table of listening sockets once and gives the per-process reader
    // over it: one table per scan, never one per process or socket.
    std::function<ListeningSocketReader()> listeningSocketReader;
    std::function<std::optional<ProcessSnapshot>(std::int32_t pid, std::uint32_t uid, bool includeArgv)>
        enrichedSnapshot;
    std::function<std::optional<ProcessSnapshot>(std::int32_t pid, std::uint32_t uid)> agentPresenceSnapshot;
    std::function<std::optional<ProcessSnapshot>(std::int32_t pid, std::uint32_t uid)> detectionSnapshot;
    std::function<std::optional<ProcessSnapshot>(std::int32_t pid)> liveResolveSnapshot;
    // The same with the argument vector, for the user's own processes: an agent run by an
    // interpreter (node) or the native Claude Code install is only recognised by it.
    std::function<std::optional<ProcessSnapshot>(std::int32_t pid)> liveResolveSnapshotWithArgv;
    std::function<std::optional<ProcessIdentity>(std::int32_t pid)> processIdentity;
    std::function<std::optional<std::string>(std::int32_t pid)> currentWorkingDirectory;
    std::function<bool(const std::string& path)> directoryExists;  // any file system object
    std::function<HomeDirectory()> homeDirectory;
    // One flag per path, in order, from one system classifier (its cache lives for the call).
    std::function<std::vector<bool>(const std::vector<std::optional<std::string>>& executablePaths)>
        strongSystemBackgroundFlags;
    std::function<WallTime()> now;
    // Runs the per-process reads of a scan; the reads above must then be safe to call
    // from several threads at once. Unset: one after the other.
    ConcurrentForEach forEachProcess;

    // The machine's procfs readers, the file system and the wall clock.
    static PortEngineDependencies live();
    // The same for an engine that scans again and again (the open panel's): which process
    // holds which listening socket is remembered from scan to scan while the kernel's set of
    // listening sockets stays the same, and the owners' arguments by their identity; every
    // process is walked and every owner's arguments read again every few scans (see
    // ListeningSocketOwners, RememberedArguments). Never for the checks before a stop, which
    // read afresh.
    static PortEngineDependencies liveForRepeatedScans();

    // What an engine that scans again and again remembers from one scan to the next; a new
    // scan begins with each call of `listeningSocketReader`.
    struct ScanMemory {
        std::shared_ptr<ListeningSocketOwners> owners;
        std::shared_ptr<RememberedArguments> arguments;
    };
    // The same reads from `proc`, which must outlive the dependencies (a fixture /proc tree),
    // remembering in `memory` from scan to scan what it holds room for.
    static PortEngineDependencies reading(const Libproc& proc, ScanMemory memory = {});
};

}  // namespace quaylight
