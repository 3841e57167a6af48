#include "Quaylight/agent-hooks/config/AgentHookConfigurator.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <mutex>

#include <fmt/format.h>

#include "ProcessCoreKit/support/OwnedDescriptor.h"
#include "Quaylight/agent-hooks/config/ExactSettingsJson.h"
#include "QuaylightKit/support/LiveFileSystem.h"
#include "QuaylightKit/project/PathStandardization.h"

namespace quaylight {
namespace {

using Json = AgentHookConfigurator::Json;
using ConfigError = AgentHookConfigurator::ConfigError;
using Kind = ConfigError::Kind;

bool isArrayOfObjects(const Json& value) {
    return value.is_array() && std::all_of(value.begin(), value.end(), [](const Json& v) { return v.is_object(); });
}

bool isOwnedHook(const Json& hook, const std::set<std::string>& owned) {
    auto command = hook.find("command");
    return command != hook.end() && command->is_string() && owned.contains(command->get_ref<const std::string&>());
}

std::optional<std::string> matcherOf(const Json& group) {
    auto matcher = group.find("matcher");
    if (matcher == group.end() || !matcher->is_string()) return std::nullopt;
    return matcher->get<std::string>();
}

// Whether the file is still exactly the one that was read.
bool unchangedSince(const std::string& path, const AgentHookConfigurator::FileSnapshot& snapshot) {
    struct stat st{};
    if (lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    if (static_cast<std::uint64_t>(st.st_size) != snapshot.size || st.st_mtim.tv_sec != snapshot.modifiedSeconds ||
        st.st_mtim.tv_nsec != snapshot.modifiedNanoseconds || st.st_dev != snapshot.device ||
        st.st_ino != snapshot.inode)
        return false;
    auto again = readRegularFile(path, AgentHookConfigurator::maxSettingsFileBytes);
    return again && *again == snapshot.content;
}

bool writeAll(const AtomicWriteSteps& steps, int fd, const std::string& data) {
    std::size_t written = 0;
    while (written < data.size()) {
        ssize_t n = steps.write(fd, data.data() + written, data.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        written += static_cast<std::size_t>(n);
    }
    return true;
}

constexpr std::string_view kTemporaryPrefix = ".quaylight-write-";

// A temporary file of a write whose process no longer exists (killed mid-write on a file
// system without nameless files, or between naming and renaming) still holds a copy of
// the settings: it is removed. Only this user's regular files are touched, never followed.
void removeTemporaryFilesOfEndedProcesses(const std::string& folder) {
    DIR* directory = opendir(folder.c_str());
    if (!directory) return;
    while (dirent* entry = readdir(directory)) {
        std::string_view name = entry->d_name;
        if (!name.starts_with(kTemporaryPrefix)) continue;
        std::string_view digits = name.substr(kTemporaryPrefix.size());
        pid_t pid = 0;
        auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), pid);
        if (error != std::errc() || end != digits.data() + digits.size() || pid <= 0) continue;
        if (kill(pid, 0) == 0 || errno != ESRCH) continue;  // alive, or not ours to judge
        struct stat st{};
        if (fstatat(dirfd(directory), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) ||
            st.st_uid != geteuid())
            continue;
        unlinkat(dirfd(directory), entry->d_name, 0);
    }
    closedir(directory);
}

}  // namespace

std::string AgentHookConfigurator::temporaryPath(const std::string& configPath) {
    return parentFolder(configPath) + "/" + std::string(kTemporaryPrefix) + std::to_string(getpid());
}

AgentHookConfigurator::ReadOutcome AgentHookConfigurator::readIfPresent(const std::string& configPath) {
    struct stat st{};
    if (lstat(configPath.c_str(), &st) != 0) return NoFile{};
    if (S_ISLNK(st.st_mode)) return ConfigError::of(Kind::fileIsSymlink);
    if (!S_ISREG(st.st_mode)) return ConfigError::of(Kind::notARegularFile);
    if (st.st_uid != geteuid()) return ConfigError::of(Kind::notOwnedByCurrentUser);

    struct stat opened{};
    auto bytes = readRegularFile(configPath, maxSettingsFileBytes, &opened);
    if (!bytes || opened.st_dev != st.st_dev || opened.st_ino != st.st_ino)
        return ConfigError::unwritable("could not read " + configPath);
    auto parsed = ExactSettingsJson::parse(*bytes);
    if (!parsed && ExactSettingsJson::nestsTooDeeply(*bytes))
        return ConfigError::unwritable(fmt::format("could not edit {}: its values nest deeper than {} levels",
                                                   configPath, ExactSettingsJson::maxNestingDepth));
    if (!parsed || !parsed->root.is_object()) return ConfigError::of(Kind::malformedJSON);

    FileSnapshot snapshot;
    snapshot.root = std::move(parsed->root);
    snapshot.content = std::move(*bytes);
    snapshot.unkeptValue = std::move(parsed->unkeptValue);
    snapshot.size = static_cast<std::uint64_t>(opened.st_size);
    snapshot.modifiedSeconds = opened.st_mtim.tv_sec;
    snapshot.modifiedNanoseconds = opened.st_mtim.tv_nsec;
    snapshot.device = opened.st_dev;
    snapshot.inode = opened.st_ino;
    snapshot.mode = opened.st_mode & 0777;
    return snapshot;
}

std::vector<AgentHookConfigurator::EntryKey> AgentHookConfigurator::quaylightEntries(
    const Json& root, const std::set<std::string>& owned) {
    std::vector<EntryKey> keys;
    auto hooks = root.find("hooks");
    if (hooks == root.end() || !hooks->is_object()) return keys;
    for (auto it = hooks->begin(); it != hooks->end(); ++it) {
        const std::string& event = it.key();
        const Json& groups = it.value();
        if (!isArrayOfObjects(groups)) continue;
        for (const auto& group : groups) {
            auto inner = group.find("hooks");
            if (inner == group.end() || !isArrayOfObjects(*inner)) continue;
            for (const auto& hook : *inner)
                if (isOwnedHook(hook, owned))
                    keys.push_back({event, matcherOf(group), hook["command"].get<std::string>()});
        }
    }
    return keys;
}

void AgentHookConfigurator::removeQuaylightEntries(Json& root, const std::set<std::string>& owned) {
    auto hooksIt = root.find("hooks");
    if (hooksIt == root.end() || !hooksIt->is_object()) return;
    Json hooks = *hooksIt;
    std::vector<std::string> emptied;
    for (auto it = hooks.begin(); it != hooks.end(); ++it) {
        Json& groups = it.value();
        if (groups.empty() || !isArrayOfObjects(groups)) continue;
        Json kept = Json::array();
        bool dropped = false;
        for (const auto& group : groups) {
            auto inner = group.find("hooks");
            if (group.empty() || inner == group.end() || !isArrayOfObjects(*inner)) {
                kept.push_back(group);
                continue;
            }
            Json remaining = Json::array();
            for (const auto& hook : *inner)
                if (!isOwnedHook(hook, owned)) remaining.push_back(hook);
            if (remaining.size() == inner->size()) {
                kept.push_back(group);
                continue;
            }
            dropped = true;
            if (remaining.empty()) continue;
            Json trimmed = group;
            trimmed["hooks"] = std::move(remaining);
            kept.push_back(std::move(trimmed));
        }
        if (!dropped) continue;
        if (kept.empty())
            emptied.push_back(it.key());
        else
            groups = std::move(kept);
    }
    for (const auto& event : emptied) hooks.erase(event);
    (*hooksIt) = std::move(hooks);  // stays, even when now empty
}

std::optional<AgentHookConfigurator::ConfigError> AgentHookConfigurator::append(
    const std::vector<DesiredEntry>& desired, Json& root) {
    Json hooks = Json::object();
    if (auto existing = root.find("hooks"); existing != root.end()) {
        if (!existing->is_object()) return ConfigError::of(Kind::malformedJSON);
        hooks = *existing;
    }
    for (const auto& entry : desired) {
        auto groups = hooks.find(entry.event);
        if (groups != hooks.end() && !isArrayOfObjects(*groups)) return ConfigError::of(Kind::malformedJSON);
        Json group = Json::object();
        if (entry.matcher) group["matcher"] = *entry.matcher;
        group["hooks"] = Json::array({Json{{"type", "command"}, {"command", entry.command}}});
        hooks[entry.event].push_back(std::move(group));
    }
    root["hooks"] = std::move(hooks);
    return std::nullopt;
}

AgentHookConfigurator::InstallState AgentHookConfigurator::inspect(const std::string& configPath,
                                                                   const std::vector<DesiredEntry>& desired,
                                                                   const std::set<std::string>& owned) {
    auto read = readIfPresent(configPath);
    if (auto* error = std::get_if<ConfigError>(&read)) {
        if (error->kind == Kind::malformedJSON) return {InstallState::Kind::invalidJSON, std::nullopt};
        return {InstallState::Kind::error, *error};
    }
    auto* snapshot = std::get_if<FileSnapshot>(&read);
    if (!snapshot) return {InstallState::Kind::missing, std::nullopt};
    auto own = quaylightEntries(snapshot->root, owned);
    if (own.empty()) return {InstallState::Kind::missing, std::nullopt};
    std::set<EntryKey> ownKeys(own.begin(), own.end());
    std::set<EntryKey> desiredKeys;
    for (const auto& entry : desired) desiredKeys.insert({entry.event, entry.matcher, entry.command});
    return {ownKeys == desiredKeys ? InstallState::Kind::installed : InstallState::Kind::outdated, std::nullopt};
}

std::optional<AgentHookConfigurator::ConfigError> AgentHookConfigurator::writeAtomically(
    const Json& root, const std::string& configPath, const FileSnapshot* replacing, const AtomicWriteSteps& steps) {
    // A rewrite must not quietly change what the user wrote.
    if (replacing && replacing->unkeptValue) return ConfigError::unwritable(*replacing->unkeptValue);
    std::string data;
    try {
        data = ExactSettingsJson::serialize(root);
    } catch (const nlohmann::json::exception&) {
        return ConfigError::unwritable("could not serialize configuration");
    }

    struct stat st{};
    if (!replacing && lstat(configPath.c_str(), &st) == 0) return ConfigError::of(Kind::concurrentModification);

    std::string folder = parentFolder(configPath);
    if (lstat(folder.c_str(), &st) != 0 && !createDirectories(folder, 0700))
        return ConfigError::unwritable("could not create " + folder);

    // Writes of this process take turns, so a temporary file already bearing this
    // process's id can only be left over from an earlier process that had the same id
    // and died mid-write; it is removed (never followed) and the write goes ahead.
    static std::mutex writing;
    std::lock_guard turn(writing);
    removeTemporaryFilesOfEndedProcesses(folder);
    std::string temporary = temporaryPath(configPath);
    mode_t mode = replacing ? replacing->mode : 0600;

    // The new text is written into a file without a name, so that a write killed halfway
    // leaves nothing behind; it is named only once complete. File systems without
    // nameless files get a named one at once.
    // Every way out below closes the file last, after any unlink.
    bool nameless = true;
    OwnedDescriptor file(steps.open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode));
    if (!file && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        nameless = false;
        const int flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
        file.reset(steps.open(temporary.c_str(), flags, mode));
        if (!file && errno == EEXIST && unlink(temporary.c_str()) == 0)
            file.reset(steps.open(temporary.c_str(), flags, mode));
    }
    if (!file) return ConfigError::unwritable("could not create temporary file");
    const int fd = file.get();
    bool named = !nameless;
    auto abandon = [&](ConfigError error) {
        if (named) unlink(temporary.c_str());
        return error;
    };

    // The mode is set on the descriptor so that the creation mask cannot narrow it.
    if (!writeAll(steps, fd, data) || steps.fchmod(fd, mode) != 0 || steps.fsync(fd) != 0)
        return abandon(ConfigError::unwritable("could not write temporary file"));
    if (nameless) {
        int linked = steps.linkOpenFile(fd, temporary.c_str());
        if (linked != 0 && errno == EEXIST && unlink(temporary.c_str()) == 0)
            linked = steps.linkOpenFile(fd, temporary.c_str());
        if (linked != 0) return abandon(ConfigError::unwritable("could not write temporary file"));
        named = true;
    }

    // Checked as late as possible: what the user or the agent saved meanwhile wins.
    if (replacing && !unchangedSince(configPath, *replacing))
        return abandon(ConfigError::of(Kind::concurrentModification));

    if (!replacing) {
        if (steps.renameNoReplace(temporary.c_str(), configPath.c_str()) != 0) {
            bool appeared = errno == EEXIST;
            return abandon(appeared ? ConfigError::of(Kind::concurrentModification)
                                    : ConfigError::unwritable("could not replace " + configPath));
        }
        return std::nullopt;
    }

    // A save can still land between that check and the replacement. Swapping the two files
    // instead of renaming over one brings back what was replaced: it must be exactly what
    // was read, or the save is swapped back into place.
    if (steps.exchange(temporary.c_str(), configPath.c_str()) != 0) {
        if (errno != EINVAL && errno != ENOSYS) return abandon(ConfigError::unwritable("could not replace " + configPath));
        if (steps.rename(temporary.c_str(), configPath.c_str()) != 0)
            return abandon(ConfigError::unwritable("could not replace " + configPath));
        return std::nullopt;
    }
    if (!unchangedSince(temporary, *replacing)) {
        if (steps.exchange(temporary.c_str(), configPath.c_str()) != 0) {
            // The save now waits beside the file under the temporary name; it is kept.
            return ConfigError::unwritable("could not restore a concurrent save of " + configPath + " from " +
                                           temporary);
        }
        return abandon(ConfigError::of(Kind::concurrentModification));
    }
    unlink(temporary.c_str());
    return std::nullopt;
}

std::optional<AgentHookConfigurator::ConfigError> AgentHookConfigurator::install(
    const std::string& configPath, const std::vector<DesiredEntry>& desired, const std::set<std::string>& owned,
    const AtomicWriteSteps& steps) {
    auto read = readIfPresent(configPath);
    if (auto* error = std::get_if<ConfigError>(&read)) return *error;
    auto* snapshot = std::get_if<FileSnapshot>(&read);
    Json root = snapshot ? snapshot->root : Json::object();
    if (snapshot) removeQuaylightEntries(root, owned);
    if (auto error = append(desired, root)) return error;
    return writeAtomically(root, configPath, snapshot, steps);
}

std::optional<AgentHookConfigurator::ConfigError> AgentHookConfigurator::removeAll(const std::string& configPath,
                                                                                   const std::set<std::string>& owned,
                                                                                   const AtomicWriteSteps& steps) {
    auto read = readIfPresent(configPath);
    if (auto* error = std::get_if<ConfigError>(&read)) return *error;
    auto* snapshot = std::get_if<FileSnapshot>(&read);
    if (!snapshot) return std::nullopt;
    Json root = snapshot->root;
    removeQuaylightEntries(root, owned);
    if (root == snapshot->root) return std::nullopt;  // none of ours: the file stays as the user wrote it
    return writeAtomically(root, configPath, snapshot, steps);
}

}  // namespace quaylight
