#pragma once
// Reads an agent's JSON settings file safely, recognises Quaylight's own hook entries
// among the user's, tells whether they are installed, missing or out of date, removes
// them, appends the wanted ones, and writes the file back atomically without ever
// replacing a file that changed in between. Everything else in the file is kept: other
// settings, other tools' hooks, key order and values.

#include <sys/types.h>

#include <compare>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <variant>
#include <vector>

#include <nlohmann/json.hpp>

#include "Quaylight/agent-hooks/platform/AtomicWriteSteps.h"

namespace quaylight {

struct AgentHookConfigurator {
    using Json = nlohmann::ordered_json;

    // The largest settings file read; a larger one is refused rather than loaded.
    static constexpr std::uint64_t maxSettingsFileBytes = 16 * 1024 * 1024;

    struct DesiredEntry {
        std::string event;
        std::optional<std::string> matcher;
        std::string command;

        friend bool operator==(const DesiredEntry&, const DesiredEntry&) = default;
    };

    struct EntryKey {
        std::string event;
        std::optional<std::string> matcher;
        std::string command;

        friend auto operator<=>(const EntryKey&, const EntryKey&) = default;
    };

    struct ConfigError {
        enum class Kind {
            unwritable,  // carries `text`
            fileIsSymlink,
            notARegularFile,
            notOwnedByCurrentUser,
            malformedJSON,
            concurrentModification,
        };
        Kind kind = Kind::unwritable;
        std::string text;

        static ConfigError unwritable(std::string text) { return {Kind::unwritable, std::move(text)}; }
        static ConfigError of(Kind kind) { return {kind, {}}; }
        friend bool operator==(const ConfigError&, const ConfigError&) = default;
    };

    struct InstallState {
        enum class Kind { error, missing, installed, outdated, invalidJSON };
        Kind kind = Kind::missing;
        std::optional<ConfigError> error;  // with `error` only

        friend bool operator==(const InstallState&, const InstallState&) = default;
    };

    // What was read, to notice a change before writing.
    struct FileSnapshot {
        Json root;
        std::string content;  // the bytes as read
        std::optional<std::string> unkeptValue;  // what a rewrite could not keep
        std::uint64_t size = 0;
        std::int64_t modifiedSeconds = 0;
        std::int64_t modifiedNanoseconds = 0;
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        mode_t mode = 0;  // permission bits
    };
    struct NoFile {};
    using ReadOutcome = std::variant<FileSnapshot, NoFile, ConfigError>;

    static InstallState inspect(const std::string& configPath, const std::vector<DesiredEntry>& desired,
                                const std::set<std::string>& owned);

    // The file's snapshot, NoFile when nothing is at the path, or why it may not be
    // edited: a symbolic link, not a regular file, another user's, unreadable or larger
    // than maxSettingsFileBytes, or not a JSON object.
    static ReadOutcome readIfPresent(const std::string& configPath);

    // Quaylight's own hooks: entries whose command is one of `owned`.
    static std::vector<EntryKey> quaylightEntries(const Json& root, const std::set<std::string>& owned);
    static void removeQuaylightEntries(Json& root, const std::set<std::string>& owned);
    // Appends one group per desired entry; the root is unchanged on error.
    static std::optional<ConfigError> append(const std::vector<DesiredEntry>& desired, Json& root);

    // Writes `root` over the file through a temporary file beside it, nameless until
    // complete. With a snapshot the file must still be exactly what was read, also at the
    // moment it is swapped for the new one; without one, nothing may have appeared at the
    // path. On any failure the file is left as it was and no temporary file remains;
    // temporary files of processes that no longer exist are removed first.
    static std::optional<ConfigError> writeAtomically(const Json& root, const std::string& configPath,
                                                      const FileSnapshot* replacing,
                                                      const AtomicWriteSteps& steps = AtomicWriteSteps::live());

    // Connect and repair: replaces Quaylight's own entries with the desired ones.
    static std::optional<ConfigError> install(const std::string& configPath, const std::vector<DesiredEntry>& desired,
                                              const std::set<std::string>& owned,
                                              const AtomicWriteSteps& steps = AtomicWriteSteps::live());
    // Disconnect: removes Quaylight's own entries; no file means nothing to do.
    static std::optional<ConfigError> removeAll(const std::string& configPath, const std::set<std::string>& owned,
                                                const AtomicWriteSteps& steps = AtomicWriteSteps::live());

    // The temporary file that stands beside a settings file during a write.
    static std::string temporaryPath(const std::string& configPath);
};

}  // namespace quaylight
