#pragma once
// The pages of the main area that other parts of the application bring: the settings
// popout and the two first-run surfaces. The root view asks for a fresh page each time one
// comes on screen and drops it when it leaves. Made by the popover's factory from the
// application's stores; tests bring small pages of their own and need none of those.

#include <QString>
#include <functional>
#include <optional>

class QWidget;

namespace quaylight {

struct PopoverPages {
    // What the settings popout may ask of the panel.
    struct SettingsActions {
        // The row fields or the row size changed in the stored settings.
        std::function<void()> displaySettingsChanged;
        std::function<void()> replayWalkthrough;
        std::function<void()> quit;
        // Closes the popout.
        std::function<void()> close;
        std::function<void(bool)> setShowSystem;
    };

    // The launch-at-login offer; `complete` gets whether launch at login was turned on.
    std::function<QWidget*(std::function<void(bool)> complete)> launchAtLoginOffer;
    // The welcome tour from its first page; `done` ends it.
    std::function<QWidget*(std::function<void()> done)> walkthrough;
    std::function<QWidget*(bool showSystem, std::optional<QString> lastScanned, SettingsActions actions)> settings;
    // Hands a shown settings page the panel's latest "last scanned" line.
    std::function<void(QWidget* page, std::optional<QString> lastScanned)> showLastScanned;
};

}  // namespace quaylight
