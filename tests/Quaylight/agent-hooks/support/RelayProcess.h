#pragma once
// Runs the real executable as an agent's hook does: `quaylight agent-event ...` with the
// hook's JSON on standard input, in an environment of the test's choosing.

#include <string>
#include <vector>

namespace quaylight::testsupport {

struct RelayExit {
    bool exitedNormally = false;
    int status = -1;
};

// `home` becomes $HOME and `runtimeDirectory` $XDG_RUNTIME_DIR of the child.
RelayExit runRelay(const std::vector<std::string>& arguments, const std::string& input, const std::string& home,
                   const std::string& runtimeDirectory = "/tmp");

}  // namespace quaylight::testsupport
