#pragma once
// The stored global shortcut: "controls.globalShortcut" (the preference's JSON as a text
// value) and "controls.globalShortcutEnabled" (Boolean, true when absent).

#include "QuaylightKit/platform/UserDefaults.h"
#include "Quaylight/shell/shortcut/GlobalShortcutPreference.h"

namespace quaylight::GlobalShortcutSettings {

struct StoredPreference {
    GlobalShortcutPreference preference;  // the default when nothing usable is stored
    // A value is stored but cannot be used (not a text, not a shortcut document, no
    // modifier or Shift alone, an unsupported key). It is left as it is.
    bool unreadable = false;
};

StoredPreference preference(const UserDefaults& defaults);
void setPreference(const GlobalShortcutPreference& preference, UserDefaults& defaults);

bool isEnabled(const UserDefaults& defaults);
void setEnabled(bool enabled, UserDefaults& defaults);

}  // namespace quaylight::GlobalShortcutSettings
