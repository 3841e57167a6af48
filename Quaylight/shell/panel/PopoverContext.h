#pragma once
// What the popover's root view is made from: the delegate hands it over, the popover's
// factory builds the view. Kept below both, so neither reaches up to the other.

#include <functional>

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

}  // namespace quaylight
