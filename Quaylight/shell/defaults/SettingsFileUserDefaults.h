#pragma once
// The user's settings in an INI file under the XDG config home, in the format QSettings
// reads and writes. Each value keeps its type across a reopen: the file has one group per
// type,
//
//   [bool]      display.showPort=false
//   [integer]   some.count=42
//   [double]    some.ratio=0.5
//   [text]      display.rowDensity=compact
//
// so a text "true" stays a text. A value that is not of its group's form (a "yes" under
// [bool], a list, a key in two groups) reads as absent and stays in the file as it was;
// only a change of that very key replaces it. Lines that are not settings stay too.
// Changes are written promptly: the changes of one turn of the event loop together (a
// settings tile stores nine flags at once), at once where there is no application object,
// and at the latest when the store goes.
//
// The store reads and writes the file itself, never through a lock file: the instance lock
// already makes this process the only writer, and a lock left by a killed process (whose
// PID may be this one's again) must never hold up the panel. A write replaces the file in
// one step (a new file renamed over it, through a symbolic link to where it points).
//
// A file that exists but cannot be read (no permission, a folder, a FIFO, a symbolic link
// that loops, larger than `sizeLimit`) is opened without waiting and never read further or
// touched: the settings live in memory and start from the defaults. A write that fails
// keeps the changes in memory. Either way `notice` says so, for the panel and the settings,
// until a write succeeds, and the log has it.
// All members may be called from any thread.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "Quaylight/shell/defaults/SettingsIniFormat.h"
#include "QuaylightKit/platform/UserDefaults.h"

class QObject;

namespace quaylight {

class SettingsFileUserDefaults final : public UserDefaults {
public:
    using ObserverID = std::uint64_t;

    // The settings file: "Quaylight/Quaylight.conf" in the XDG config home.
    static std::string defaultPath();
    // Settings are a few kilobytes; a larger file is not read at all.
    static constexpr std::int64_t sizeLimit = 1024 * 1024;
    // `reason` completes "because …"; `error` is what the system said.
    static std::string readFailureText(std::string_view path, std::string_view reason);
    static std::string writeFailureText(std::string_view path, std::string_view error);

    explicit SettingsFileUserDefaults(std::string path = defaultPath());
    ~SettingsFileUserDefaults() override;

    std::optional<Value> object(std::string_view key) const override;
    void set(std::string_view key, Value value) override;
    void removeObject(std::string_view key) override;

    const std::string& path() const { return path_; }
    // Set for the whole run when the file could not be read (`readFailureText`).
    const std::optional<std::string>& readFailureNotice() const { return readFailureNotice_; }
    // False when the last write of the file failed (a full disk, a folder made read-only).
    bool lastWriteSucceeded() const;
    // What the user is told: the read failure, else the last write's failure; none while
    // changes are kept.
    std::optional<std::string> notice() const;
    // Called when `notice` changed, on the thread whose write changed it (the store's own
    // thread in the application).
    ObserverID addObserver(std::function<void()> observer);
    void removeObserver(ObserverID id);
    // Writes the changes not yet written, now (at termination, before a test reads the file).
    void synchronize();

private:
    bool changed();   // with the lock held; true when a write changed the notice
    bool writeNow();  // with the lock held; true when the notice changed
    void publish();   // without the lock

    std::string path_;
    std::optional<std::string> readFailureNotice_;
    mutable std::mutex mutex_;
    SettingsIniDocument document_;          // unused while the file is unreadable
    InMemoryUserDefaults memoryFallback_;   // used while the file is unreadable
    bool lastWriteSucceeded_ = true;
    std::optional<std::string> writeFailureNotice_;
    bool writePending_ = false;
    std::map<ObserverID, std::function<void()>> observers_;
    ObserverID nextObserver_ = 1;
    // Lives on the thread that made the store; the pending write runs there.
    std::unique_ptr<QObject> writer_;
};

}  // namespace quaylight
