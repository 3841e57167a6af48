#pragma once
// The one global shortcut of the application: loads the stored shortcut, holds its key
// grab while switched on, calls the action on each press, and publishes the shortcut, the
// on/off flag and the last registration error for the settings. It writes its settings to
// the same UserDefaults it reads them from. GUI thread only.

#include <QObject>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "QuaylightKit/platform/UserDefaults.h"
#include "Quaylight/shell/shortcut/GlobalShortcutPreference.h"
#include "Quaylight/shell/shortcut/KeyGrabBackend.h"

class QKeyEvent;

namespace quaylight {

class GlobalShortcutManager final : public QObject {
    Q_OBJECT
public:
    static constexpr std::string_view inUseError = "That shortcut is already in use by another app.";
    static constexpr std::string_view unavailableError = "Global shortcuts aren't available in this desktop session.";
    static constexpr std::string_view noModifierError = "Choose at least one modifier.";
    static constexpr std::string_view unsupportedKeyError = "Choose a letter, number, or punctuation key.";
    // A shortcut the keyboard cannot type (its key is not in the layout).
    static constexpr std::string_view unsupportedShortcutError = "Choose a supported shortcut with at least one modifier.";
    // "Your saved shortcut couldn't be read, so Quaylight is using Super+Alt+P."
    static std::string unreadableStoredError(const GlobalShortcutPreference& inUse);

    // Reads the stored shortcut and flag; grabs nothing yet.
    GlobalShortcutManager(UserDefaults& defaults, std::unique_ptr<KeyGrabBackend> backend, QObject* parent = nullptr);
    ~GlobalShortcutManager() override;

    const GlobalShortcutPreference& preference() const { return preference_; }
    bool isEnabled() const { return enabled_; }
    const std::optional<std::string>& registrationError() const { return registrationError_; }

    // Keeps the action (replacing an earlier one) and registers the current shortcut.
    void start(std::function<void()> action);
    // Releases the grab and drops the action.
    void stop();
    // Validates, stores and registers a new shortcut; a refused one changes nothing but
    // the error.
    void update(const GlobalShortcutPreference& preference);
    // Super+Alt+P, switched on.
    void restoreDefault();
    void setEnabled(bool enabled);

    // Whether a key press the application received itself is the shortcut (while a window
    // of ours holds the keyboard the grab does not see the press). False while switched off.
    bool matches(const QKeyEvent& event) const;

signals:
    void preferenceChanged();
    void enabledChanged(bool enabled);
    void registrationErrorChanged();

private:
    void registerCurrentPreference();
    void setRegistrationError(std::optional<std::string> error);

    UserDefaults& defaults_;
    std::unique_ptr<KeyGrabBackend> backend_;
    GlobalShortcutPreference preference_;
    bool enabled_ = true;
    bool storedUnreadable_ = false;  // until the next registration after a change
    bool grabbed_ = false;
    std::optional<std::string> registrationError_;
    std::function<void()> action_;
};

}  // namespace quaylight
