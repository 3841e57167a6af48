#include "QuaylightKit/project/HomeDirectory.h"

#include "QuaylightKit/project/PathStandardization.h"

namespace quaylight {

HomeDirectory::HomeDirectory(std::string_view path) : path(standardizedPath(path)) {}

HomeDirectory::HomeDirectory(std::string_view path, std::string_view resolvedPath) : HomeDirectory(path) {
    auto resolved = standardizedPath(resolvedPath);
    if (!resolved.empty() && resolved != this->path) this->resolvedPath = std::move(resolved);
}

bool HomeDirectory::matches(std::string_view standardizedDirectory) const {
    if (!isAbsolutePath(standardizedDirectory)) return false;
    return standardizedDirectory == path || (resolvedPath && standardizedDirectory == *resolvedPath);
}

}  // namespace quaylight
