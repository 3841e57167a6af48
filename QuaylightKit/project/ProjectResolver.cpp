#include "QuaylightKit/project/ProjectResolver.h"

#include "QuaylightKit/project/PathStandardization.h"

namespace quaylight {

std::optional<ListenerProject> ProjectResolver::resolve(const ProcessSnapshot& owner,
                                                        const WorkingDirectoryLookup& cwdForPID,
                                                        const PathExistenceTest& directoryExists,
                                                        const HomeDirectory& homeDirectory) {
    auto seed = seedDirectory(owner, cwdForPID, directoryExists);
    if (!seed) return std::nullopt;
    return resolve(*seed, directoryExists, homeDirectory);
}

std::optional<ListenerProject> ProjectResolver::resolve(std::string_view seedDirectory,
                                                        const PathExistenceTest& directoryExists,
                                                        const HomeDirectory& homeDirectory) {
    if (!isAbsolutePath(seedDirectory)) return std::nullopt;
    std::string directory = standardizedPath(seedDirectory);
    for (int examined = 0; examined < maxDirectories; ++examined) {
        if (homeDirectory.matches(directory) || directory == "/") return std::nullopt;
        for (auto marker : markers) {
            if (directoryExists(appendingPathComponent(directory, marker)))
                return ListenerProject{lastPathComponent(directory), directory};
        }
        directory = deletingLastPathComponent(directory);
    }
    return std::nullopt;
}

std::optional<std::string> ProjectResolver::seedDirectory(const ProcessSnapshot& owner,
                                                          const WorkingDirectoryLookup& cwdForPID,
                                                          const PathExistenceTest& pathExists) {
    if (auto cwd = cwdForPID(owner.identity.pid)) return cwd;
    if (!owner.argv) return std::nullopt;
    for (const auto& argument : *owner.argv) {
        if (!isAbsolutePath(argument)) continue;
        std::string path = standardizedPath(argument);
        std::string parent = deletingLastPathComponent(path);
        if (pathExists(path)) return parent.empty() ? path : parent;
        if (pathExists(parent)) return parent;
    }
    return std::nullopt;
}

}  // namespace quaylight
