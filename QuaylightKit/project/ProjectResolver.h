#pragma once
// Finds the project folder a process works in: from its working directory (or, when that
// cannot be read, from an absolute path among its arguments) up towards the root, the
// first folder holding a project marker. The home folder and the root are never a project.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "ProcessCoreKit/records/ProcessSnapshot.h"
#include "QuaylightKit/project/HomeDirectory.h"
#include "QuaylightKit/project/ListenerProject.h"

namespace quaylight {

using WorkingDirectoryLookup = std::function<std::optional<std::string>(std::int32_t pid)>;
// True for any existing file system object at the path, folder or not.
using PathExistenceTest = std::function<bool(const std::string& path)>;

struct ProjectResolver {
    static constexpr int maxDirectories = 10;
    static constexpr std::array<std::string_view, 5> markers{".git", "package.json", "pyproject.toml", "go.mod",
                                                             "Cargo.toml"};

    static std::optional<ListenerProject> resolve(const ProcessSnapshot& owner, const WorkingDirectoryLookup& cwdForPID,
                                                  const PathExistenceTest& directoryExists,
                                                  const HomeDirectory& homeDirectory);

    // The walk alone, from a folder such as a hook's reported working directory. A seed
    // that is not an absolute path gives no project: a relative one would be read against
    // whatever folder the caller happens to run in.
    static std::optional<ListenerProject> resolve(std::string_view seedDirectory,
                                                  const PathExistenceTest& directoryExists,
                                                  const HomeDirectory& homeDirectory);

private:
    static std::optional<std::string> seedDirectory(const ProcessSnapshot& owner,
                                                    const WorkingDirectoryLookup& cwdForPID,
                                                    const PathExistenceTest& pathExists);
};

}  // namespace quaylight
