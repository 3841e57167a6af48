#include "QuaylightKit/project/HomeDirectory.h"

#include "QuaylightKit/project/PathStandardization.h"

namespace quaylight {

HomeDirectory::HomeDirectory(std::string_view folder) : path(standardizedPath(folder)) {}

HomeDirectory::HomeDirectory(std::string_view folder, std::string_view resolvedFolder) : HomeDirectory(folder) {
    auto resolved = standardizedPath(resolvedFolder);
    if (!resolved.empty() && resolved != path) resolvedPath = std::move(resolved);
}

bool HomeDirectory::matches(std::string_view standardizedDirectory) const {
    if (!isAbsolutePath(standardizedDirectory)) return false;
    return standardizedDirectory == path || (resolvedPath && standardizedDirectory == *resolvedPath);
}

}  // namespace quaylight
