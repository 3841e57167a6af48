#pragma once
// The installed executable: what hook commands run, and where the application must run
// from to receive agent events.

#include <optional>
#include <string>
#include <vector>

namespace quaylight {

struct InstalledExecutable {
    // "<prefix>/bin/quaylight", the prefix being the build's install prefix.
    static std::string path();
    // "<prefix>/bin", the folder named in messages.
    static std::string folder();
    // The command the running process was started as: its own executable (/proc/self/exe),
    // or, in the application, the `quaylight` that started the application's launcher.
    static std::optional<std::string> runningPath();

    // The application runs in its own executable, which `quaylight` starts for the
    // application mode: `quaylight` itself is linked statically and cannot load Qt.
    static constexpr const char* launcherName = "quaylight-application";
    // Set by `quaylight` for the launcher: the path of the command it was started as.
    static constexpr const char* commandVariable = "QUAYLIGHT_COMMAND_PATH";
    // Where the launcher may lie for a command at `commandPath`: beside it (the build tree),
    // then in the application library's folder (../lib/quaylight in an installed prefix).
    static std::vector<std::string> launcherCandidates(const std::string& commandPath);
    // The command a process at `ownExecutable` was started as, given the launcher's
    // variable: the variable's path when this process is that command's launcher, else
    // the process's own executable.
    static std::optional<std::string> runningCommand(const std::optional<std::string>& ownExecutable,
                                                     const char* commandVariableValue);
};

}  // namespace quaylight
