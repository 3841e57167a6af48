#pragma once
// Builds process snapshots in five variants, each reading only what its caller needs:
// argv and CPU readings of every process on every scan are the expensive part.

#include <cstdint>
#include <optional>

#include "ProcessCoreKit/platform/Libproc.h"
#include "ProcessCoreKit/reader/RememberedArguments.h"
#include "ProcessCoreKit/records/ProcessSnapshot.h"

namespace quaylight {

struct ProcessReader {
    const Libproc& proc = Libproc::live();

    // A process of `myUID`, with CPU and memory, and argv when asked: from `remembered` when
    // it holds them for this process, else read (and remembered there).
    std::optional<ProcessSnapshot> enrichedSnapshot(std::int32_t pid, std::uint32_t myUID, bool includeArgv,
                                                    RememberedArguments* remembered = nullptr) const;
    // A process of `myUID` that may be an agent; argv only when detection needs it.
    std::optional<ProcessSnapshot> agentPresenceSnapshot(std::int32_t pid, std::uint32_t myUID) const;
    // The same for a caller that has just read the process's executable path.
    std::optional<ProcessSnapshot> agentPresenceSnapshot(std::int32_t pid, std::uint32_t myUID,
                                                         const std::optional<std::string>& executablePath) const;
    // Any process; argv read for the user's own processes only (another user's is never
    // read: nothing uses it, and Linux would expose it).
    std::optional<ProcessSnapshot> detectionSnapshot(std::int32_t pid, std::uint32_t myUID) const;
    // Any process, without argv or CPU readings; `sameUser` against the real user id.
    std::optional<ProcessSnapshot> liveResolveSnapshot(std::int32_t pid) const;
    // Like liveResolveSnapshot, with argv when the process is the reader's own user's.
    std::optional<ProcessSnapshot> liveResolveSnapshotWithArgv(std::int32_t pid) const;
    // Refreshes memory and CPU time of an earlier snapshot; no value when the PID now
    // names another process or another user.
    std::optional<ProcessSnapshot> activitySnapshot(const ProcessSnapshot& from, std::uint32_t myUID) const;

    static std::uint32_t currentUID();

private:
    // Any process; argv (when asked) for `myUID`'s own processes only.
    std::optional<ProcessSnapshot> anyProcess(std::int32_t pid, std::uint32_t myUID, bool withArgv) const;
    // False only when the process's executable and command name rule out every agent rule.
    bool mayBeAgent(std::int32_t pid, const std::optional<std::string>& path) const;
};

}  // namespace quaylight
