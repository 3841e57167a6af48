#pragma once
// Finds and starts the Qt application library, so that only the application mode loads Qt.

#include <string>
#include <vector>

namespace quaylight {

// Where the library may lie for an executable at `executablePath`: beside it (the build
// tree), then in ../lib/quaylight (an installed prefix).
std::vector<std::string> applicationLibraryCandidates(const std::string& executablePath);

// Loads the library and runs the application; when the library cannot be loaded, prints one
// "error: ..." line to standard error and returns 1.
int runApplicationLibrary(int argc, char** argv);

}  // namespace quaylight
