#pragma once
// Settings-file fixtures with the system's own commands filled in for a test home.

#include <sys/stat.h>

#include <set>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"

namespace quaylight::testsupport {

class HookHome {
public:
    const TempDir& dir() const { return dir_; }
    std::string home() const { return dir_.path().string(); }
    std::string socketPath() const;
    std::set<std::string> owned() const;
    std::string claudeSettings() const { return home() + "/.claude/settings.json"; }
    std::string codexHooks() const { return home() + "/.codex/hooks.json"; }

    // The data file `name` with @CLAUDE@, @CLAUDE_IDLE@, @CLAUDE_HOME_RELATIVE@,
    // @CLAUDE_PROTOCOL_2@ and @CODEX@ replaced by JSON strings of those commands.
    std::string fixture(const std::string& name) const;
    // Writes text to `path` with `mode`, creating its folder.
    void place(const std::string& path, const std::string& text, mode_t mode = 0644) const;

private:
    TempDir dir_;
};

std::string readFile(const std::string& path);
// Names in the folder, sorted.
std::vector<std::string> folderEntries(const std::string& folder);

}  // namespace quaylight::testsupport
