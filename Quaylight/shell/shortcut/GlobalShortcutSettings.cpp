#include "Quaylight/shell/shortcut/GlobalShortcutSettings.h"

#include "Quaylight/shell/defaults/SettingsKeys.h"

namespace quaylight::GlobalShortcutSettings {

StoredPreference preference(const UserDefaults& defaults) {
    if (!defaults.contains(SettingsKeys::globalShortcut)) return {GlobalShortcutPreference::defaultPreference(), false};
    auto text = defaults.stringValue(SettingsKeys::globalShortcut);
    std::optional<GlobalShortcutPreference> stored;
    if (text) stored = GlobalShortcutPreference::fromJSON(*text);
    if (!stored || validationError(*stored)) return {GlobalShortcutPreference::defaultPreference(), true};
    return {*stored, false};
}

void setPreference(const GlobalShortcutPreference& preference, UserDefaults& defaults) {
    defaults.setString(SettingsKeys::globalShortcut, preference.toJSON());
}

bool isEnabled(const UserDefaults& defaults) { return defaults.boolValue(SettingsKeys::globalShortcutEnabled).value_or(true); }

void setEnabled(bool enabled, UserDefaults& defaults) { defaults.setBool(SettingsKeys::globalShortcutEnabled, enabled); }

}  // namespace quaylight::GlobalShortcutSettings
