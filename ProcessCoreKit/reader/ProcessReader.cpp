#include "ProcessCoreKit/reader/ProcessReader.h"

#include <unistd.h>

#include "ProcessCoreKit/recognition/AgentProcessDetector.h"
#include "ProcessCoreKit/reader/BundleID.h"
#include "ProcessCoreKit/support/Text.h"

namespace quaylight {
namespace {

struct OpenedProcess {
    Libproc::Process process;
    ProcessSnapshot snapshot;
};

// Every variant starts alike: the stat read (and the user gate when `onlyUID` is given),
// then identity, name, parent, uid, `sameUser` against `myUID`, and the executable path.
std::optional<OpenedProcess> openProcess(const Libproc& proc, std::int32_t pid, std::uint32_t myUID,
                                         bool onlyMyUID) {
    auto process = proc.open(pid);
    if (!process) return std::nullopt;
    auto info = process->bsdInfo();
    if (!info || (onlyMyUID && info->uid != myUID)) return std::nullopt;
    ProcessSnapshot snapshot;
    snapshot.identity = ProcessIdentity{info->pid, info->startTimeSeconds, info->startTimeMicroseconds};
    if (!info->commandName.empty()) snapshot.name = decodeUtf8Lossy(info->commandName);
    snapshot.parentPID = info->parentPID;
    snapshot.uid = info->uid;
    snapshot.sameUser = info->uid == myUID;
    snapshot.executablePath = process->execPath();
    return OpenedProcess{std::move(*process), std::move(snapshot)};
}

void readTask(const Libproc::Process& process, ProcessSnapshot& snapshot) {
    if (auto task = process.taskInfo()) {
        snapshot.cpuReadable = true;
        snapshot.residentMemoryBytes = task->residentBytes;
        snapshot.cpuTimeNanos = nanoseconds(task->totalTicks, Libproc::machTimebase());
    } else {
        snapshot.cpuReadable = false;
        snapshot.residentMemoryBytes.reset();
        snapshot.cpuTimeNanos.reset();
    }
}

}  // namespace

std::uint32_t ProcessReader::currentUID() { return ::getuid(); }

std::optional<ProcessSnapshot> ProcessReader::enrichedSnapshot(std::int32_t pid, std::uint32_t myUID,
                                                               bool includeArgv,
                                                               RememberedArguments* remembered) const {
    auto opened = openProcess(proc, pid, myUID, true);
    if (!opened) return std::nullopt;
    auto& [process, snapshot] = *opened;
    readTask(process, snapshot);
    if (includeArgv && remembered)
        snapshot.argv = remembered->arguments(snapshot.identity, [&process] { return process.argv(); });
    else if (includeArgv)
        snapshot.argv = process.argv();
    snapshot.bundleIdentifier = BundleID::forExecutablePath(snapshot.executablePath);
    return snapshot;
}

bool ProcessReader::mayBeAgent(std::int32_t pid, const std::optional<std::string>& path) const {
    if (AgentProcessDetector::isNativeInstalledClaudeCandidate(std::string("claude"), path)) return true;
    if (auto base = path ? pathBasename(*path) : std::nullopt;
        base && (AgentProcessDetector::agentKindForBasename(*base) || AgentProcessDetector::isScriptInterpreter(*base)))
        return true;
    auto raw = proc.commandName(pid);
    if (!raw) return true;  // cannot tell: the full read decides
    std::optional<std::string> name;
    if (!raw->empty()) name = decodeUtf8Lossy(*raw);
    auto basename = basenameOrName(path, name);
    return (name && AgentProcessDetector::agentKindForBasename(*name)) ||
           (basename && (AgentProcessDetector::agentKindForBasename(*basename) ||
                         AgentProcessDetector::isScriptInterpreter(*basename)));
}

std::optional<ProcessSnapshot> ProcessReader::agentPresenceSnapshot(std::int32_t pid, std::uint32_t myUID) const {
    return agentPresenceSnapshot(pid, myUID, proc.executablePath(pid));
}

std::optional<ProcessSnapshot> ProcessReader::agentPresenceSnapshot(
    std::int32_t pid, std::uint32_t myUID, const std::optional<std::string>& executablePath) const {
    // Most processes are plainly no agent by their executable and command name, which two
    // small reads tell; only the others are opened and read in full.
    if (!mayBeAgent(pid, executablePath)) return std::nullopt;
    auto opened = openProcess(proc, pid, myUID, true);
    if (!opened) return std::nullopt;
    auto& [process, snapshot] = *opened;

    auto basename = basenameOrName(snapshot.executablePath, snapshot.name);
    if (!basename) return std::nullopt;
    bool nameIsAgent = snapshot.name && AgentProcessDetector::agentKindForBasename(*snapshot.name);
    bool basenameIsAgent = AgentProcessDetector::agentKindForBasename(*basename).has_value();
    bool basenameIsInterpreter = AgentProcessDetector::isScriptInterpreter(*basename);
    bool nativeCandidate = AgentProcessDetector::isNativeInstalledClaudeCandidate(snapshot.name, snapshot.executablePath);
    if (!basenameIsAgent && !nameIsAgent && !nativeCandidate && !basenameIsInterpreter) return std::nullopt;

    // Codex's shared daemon runs the Codex executable itself: only its arguments tell it
    // from a session.
    bool basenameIsCodex = AgentProcessDetector::agentKindForBasename(*basename) == AgentKind::codex;
    if (basenameIsInterpreter || nativeCandidate || (nameIsAgent && !basenameIsAgent) || basenameIsCodex)
        snapshot.argv = process.argv();
    snapshot.bundleIdentifier = BundleID::forExecutablePath(snapshot.executablePath);
    return snapshot;
}

std::optional<ProcessSnapshot> ProcessReader::detectionSnapshot(std::int32_t pid, std::uint32_t myUID) const {
    return anyProcess(pid, myUID, true);
}

std::optional<ProcessSnapshot> ProcessReader::liveResolveSnapshot(std::int32_t pid) const {
    return anyProcess(pid, currentUID(), false);
}

std::optional<ProcessSnapshot> ProcessReader::liveResolveSnapshotWithArgv(std::int32_t pid) const {
    return anyProcess(pid, currentUID(), true);
}

std::optional<ProcessSnapshot> ProcessReader::anyProcess(std::int32_t pid, std::uint32_t myUID, bool withArgv) const {
    auto opened = openProcess(proc, pid, myUID, false);
    if (!opened) return std::nullopt;
    auto& [process, snapshot] = *opened;
    if (withArgv && snapshot.sameUser) snapshot.argv = process.argv();
    snapshot.bundleIdentifier = BundleID::forExecutablePath(snapshot.executablePath);
    return snapshot;
}

std::optional<ProcessSnapshot> ProcessReader::activitySnapshot(const ProcessSnapshot& from, std::uint32_t myUID) const {
    if (!from.sameUser || !from.uid || *from.uid != myUID) return std::nullopt;
    auto process = proc.open(from.identity.pid);
    if (!process) return std::nullopt;
    auto info = process->bsdInfo();
    if (!info || info->uid != myUID || info->startTimeSeconds != from.identity.startTimeSeconds ||
        info->startTimeMicroseconds != from.identity.startTimeMicroseconds)
        return std::nullopt;
    ProcessSnapshot snapshot = from;
    snapshot.sameUser = true;
    readTask(*process, snapshot);
    return snapshot;
}

}  // namespace quaylight
