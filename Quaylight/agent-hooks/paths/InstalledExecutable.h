#pragma once
// The installed executable: what hook commands run, and where the application must run
// from to receive agent events.

#include <optional>
#include <string>

namespace quaylight {

struct InstalledExecutable {
    // "<prefix>/bin/quaylight", the prefix being the build's install prefix.
    static std::string path();
    // "<prefix>/bin", the folder named in messages.
    static std::string folder();
    // The running process's own executable (/proc/self/exe), or no value.
    static std::optional<std::string> runningPath();
};

}  // namespace quaylight
