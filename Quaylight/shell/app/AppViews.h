#pragma once
// The views other parts of the application bring to the delegate, each behind a small
// interface so the delegate can be built, run and tested before (and without) them: the
// popover's root view, the screen-top indicator and the settings views.

#include <functional>
#include <memory>
#include <optional>

#include "Quaylight/notch/model/NotchIslandPresentation.h"

class QWidget;

namespace quaylight {

class AgentProviderConnectionStore;
class GlobalShortcutManager;
class LaunchAtLoginManager;
class PopoverRevealState;
class QuaylightViewModel;
class SettingsFileUserDefaults;
class Updater;
class UserDefaults;

// What the popover's root view is built from and what it may ask of the application.
struct PopoverContext {
    QuaylightViewModel* viewModel = nullptr;
    AgentProviderConnectionStore* connections = nullptr;
    Updater* updater = nullptr;
    PopoverRevealState* reveal = nullptr;
    GlobalShortcutManager* globalShortcut = nullptr;
    LaunchAtLoginManager* launchAtLogin = nullptr;
    UserDefaults* defaults = nullptr;
    // The file behind `defaults`, when they live in one; its notice shows in the panel.
    SettingsFileUserDefaults* settingsFile = nullptr;
    // Closes the panel (animated) when it is presented.
    std::function<void()> dismissPanel;
    // Ends the application through its termination order.
    std::function<void()> quit;
    // The first-run flags changed: the delegate re-decides what runs.
    std::function<void()> onOnboardingGateChanged;
};

// Makes the widget the panel shows; the panel takes ownership.
using PopoverRootFactory = std::function<QWidget*(const PopoverContext&)>;

// The screen-top indicator as the delegate drives it. GUI thread only.
class NotchIndicator {
public:
    virtual ~NotchIndicator() = default;

    // The stored presentation: the one shown again when the desktop changes.
    virtual NotchIslandPresentation latestPresentation() const = 0;
    virtual void setLatestPresentation(const NotchIslandPresentation& presentation) = 0;
    // Set by the delegate around its own presentLatest, so the indicator's disposition
    // callback stays silent for changes the application itself caused.
    virtual bool isSynchronizingFromApp() const = 0;
    virtual void setSynchronizingFromApp(bool synchronizing) = 0;
    // Shows `presentationOverride` for this call only, or the stored presentation.
    virtual NotchIslandDisposition presentLatest(const std::optional<NotchIslandPresentation>& presentationOverride) = 0;
    virtual void hide() = 0;
    // Removes the wings at once; the last call.
    virtual void shutDown() = 0;
};

// Made on the first render; none while the indicator is not part of the build.
using NotchIndicatorFactory = std::function<std::unique_ptr<NotchIndicator>()>;

}  // namespace quaylight
