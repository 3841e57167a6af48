#pragma once
// The user's settings in an INI file under the XDG config home, read and written through
// QSettings. Each value keeps its type across a reopen: the file has one group per type,
//
//   [bool]      display.showPort=false
//   [integer]   some.count=42
//   [double]    some.ratio=0.5
//   [text]      display.rowDensity=compact
//
// so a text "true" stays a text. A value that is not of its group's form (a "yes" under
// [bool], a list, a key in two groups) reads as absent and stays in the file as it was;
// only a change of that very key replaces it. Changes are written promptly: the changes of
// one turn of the event loop together (a settings tile stores nine flags at once), at once
// where there is no application object, and at the latest when the store goes.
//
// A file that exists but cannot be read: the settings live in memory, start from the
// defaults, and the file is never touched; `readFailureNotice` says so for the settings.
// All members may be called from any thread.

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "QuaylightKit/platform/UserDefaults.h"

class QObject;
class QSettings;

namespace quaylight {

class SettingsFileUserDefaults final : public UserDefaults {
public:
    // The settings file: "Quaylight/Quaylight.conf" in the XDG config home.
    static std::string defaultPath();
    static std::string readFailureText(std::string_view path);

    explicit SettingsFileUserDefaults(std::string path = defaultPath());
    ~SettingsFileUserDefaults() override;

    std::optional<Value> object(std::string_view key) const override;
    void set(std::string_view key, Value value) override;
    void removeObject(std::string_view key) override;

    const std::string& path() const { return path_; }
    // Set when the file could not be read: "Quaylight couldn't read its settings file
    // (<path>), so it is using default settings and won't change that file."
    const std::optional<std::string>& readFailureNotice() const { return readFailureNotice_; }
    // False when the last write of the file failed (a full disk, a folder made read-only).
    bool lastWriteSucceeded() const;
    // Writes the changes not yet written, now (at termination, before a test reads the file).
    void synchronize();

private:
    void changed();  // with the lock held
    void writeNow();  // with the lock held

    std::string path_;
    std::optional<std::string> readFailureNotice_;
    mutable std::mutex mutex_;
    std::unique_ptr<QSettings> settings_;    // absent while the file is unreadable
    InMemoryUserDefaults memoryFallback_;   // used while the file is unreadable
    bool lastWriteSucceeded_ = true;
    bool writePending_ = false;
    // Lives on the thread that made the store; the pending write runs there.
    std::unique_ptr<QObject> writer_;
};

}  // namespace quaylight
