#include "QuaylightKit/engine/PortEngineDependencies.h"

#include <unistd.h>

#include <algorithm>
#include <memory>
#include <thread>
#include <utility>

#include "ProcessCoreKit/platform/Libproc.h"
#include "ProcessCoreKit/platform/ListeningSocketTable.h"
#include "ProcessCoreKit/reader/ProcessReader.h"
#include "ProcessCoreKit/safety/SystemClassifier.h"
#include "QuaylightKit/support/LiveFileSystem.h"

namespace quaylight {

namespace {

// Ten scans are ten seconds of the open panel: the longest an owner or a rewritten title
// stays unseen.
constexpr int kScansPerFullWalk = 10;

}  // namespace

PortEngineDependencies PortEngineDependencies::live() { return reading(Libproc::live()); }

PortEngineDependencies PortEngineDependencies::liveForRepeatedScans() {
    return reading(Libproc::live(), {std::make_shared<ListeningSocketOwners>(kScansPerFullWalk),
                                     std::make_shared<RememberedArguments>(kScansPerFullWalk)});
}

PortEngineDependencies PortEngineDependencies::reading(const Libproc& proc, ScanMemory memory) {
    const ProcessReader reader{proc};
    PortEngineDependencies d;
    d.allPIDs = [&proc] { return proc.allPIDs(); };
    // A scan reads each process's executable link once: the inspectable test reads it
    // whole, and the agent reading that follows for the same process on the same thread
    // takes the path from there.
    struct ProgramLink {
        std::int32_t pid = 0;
        std::optional<std::string> path;
    };
    static thread_local ProgramLink lastProgram;
    d.isInspectableProgram = [&proc](std::int32_t pid) {
        auto path = proc.inspectableExecutablePath(pid);
        lastProgram = {path ? pid : 0, path ? std::move(*path) : std::nullopt};
        return path.has_value();
    };
    d.currentUID = [] { return static_cast<std::uint32_t>(::getuid()); };
    d.currentPID = [] { return static_cast<std::int32_t>(::getpid()); };
    d.listeningSocketReader = [&proc, owners = memory.owners, arguments = memory.arguments]() -> ListeningSocketReader {
        if (arguments) arguments->beginScan();
        auto table = std::make_shared<const ListeningSocketTable>(ListeningSocketTable::fetch(proc));
        if (!owners) return [&proc, table](std::int32_t pid) { return proc.listeningSockets(pid, *table); };
        return owners->beginScan(table, [&proc, table](std::int32_t pid) {
            return proc.listeningSocketInodes(pid, *table);
        });
    };
    d.enrichedSnapshot = [reader, arguments = memory.arguments](std::int32_t pid, std::uint32_t uid, bool includeArgv) {
        return reader.enrichedSnapshot(pid, uid, includeArgv, arguments.get());
    };
    d.agentPresenceSnapshot = [reader](std::int32_t pid, std::uint32_t uid) {
        if (lastProgram.pid != pid || pid == 0) return reader.agentPresenceSnapshot(pid, uid);
        return reader.agentPresenceSnapshot(pid, uid, std::exchange(lastProgram, {}).path);
    };
    d.detectionSnapshot = [reader](std::int32_t pid, std::uint32_t uid) { return reader.detectionSnapshot(pid, uid); };
    d.liveResolveSnapshot = [reader](std::int32_t pid) { return reader.liveResolveSnapshot(pid); };
    d.liveResolveSnapshotWithArgv = [reader](std::int32_t pid) { return reader.liveResolveSnapshotWithArgv(pid); };
    d.processIdentity = [&proc](std::int32_t pid) { return proc.identity(pid); };
    d.currentWorkingDirectory = [&proc](std::int32_t pid) { return proc.currentWorkingDirectory(pid); };
    d.directoryExists = pathExists;
    d.homeDirectory = currentHomeDirectory;
    d.strongSystemBackgroundFlags = [](const std::vector<std::optional<std::string>>& paths) {
        SystemClassifier classifier;
        std::vector<bool> flags;
        flags.reserve(paths.size());
        for (const auto& path : paths) flags.push_back(classifier.isStrongSystemBackground(path));
        return flags;
    };
    d.now = wallNow;
    // Four threads take most of the gain; more mostly contend in the kernel. Starting a
    // thread costs a few hundred microseconds, which only a hundred or more processes repay.
    d.forEachProcess = threadedForEach(std::min(4u, std::max(1u, std::thread::hardware_concurrency())), 128);
    return d;
}

}  // namespace quaylight
