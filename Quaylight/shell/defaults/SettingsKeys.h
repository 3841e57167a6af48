#pragma once
// The names under which Quaylight keeps its settings. Every reader supplies its own default
// for a missing key; nothing registers defaults.

#include <string_view>

#include "QuaylightKit/login/OnboardingFlags.h"

namespace quaylight::SettingsKeys {

inline constexpr std::string_view rowDensity = "display.rowDensity";
inline constexpr std::string_view defaultFilter = "display.defaultFilter";
inline constexpr std::string_view batteryMode = "display.batteryMode";
inline constexpr std::string_view showPort = "display.showPort";
inline constexpr std::string_view showCPU = "display.showCPU";
inline constexpr std::string_view showMemory = "display.showMemory";
inline constexpr std::string_view showPath = "display.showPath";
inline constexpr std::string_view showHost = "display.showHost";
inline constexpr std::string_view showProject = "display.showProject";
inline constexpr std::string_view showUptime = "display.showUptime";
inline constexpr std::string_view showPower = "display.showPower";
inline constexpr std::string_view showPowerLabels = "display.showPowerLabels";
inline constexpr std::string_view showSystemRows = "display.showSystemRows";
inline constexpr std::string_view showAgentActivity = "display.showAgentActivity";
inline constexpr std::string_view lastUsedFilter = "display.lastUsedFilter";
inline constexpr std::string_view lastUsedPanelMode = "display.lastUsedPanelMode";
inline constexpr std::string_view autoCloseAfterOpening = "controls.autoCloseAfterOpening";
inline constexpr std::string_view globalShortcut = "controls.globalShortcut";
inline constexpr std::string_view globalShortcutEnabled = "controls.globalShortcutEnabled";
inline constexpr std::string_view launchAtLoginEnabled = "launchAtLoginEnabled";
inline constexpr std::string_view updatesLastCheckTime = "updates.lastCheckTime";

// The first-run flags, kept where the migration of the earlier onboarding reads them.
inline constexpr std::string_view launchAtLoginOfferCompleted = OnboardingKeys::launchAtLoginOfferCompleted;
inline constexpr std::string_view walkthroughCompleted = OnboardingKeys::walkthroughCompleted;
inline constexpr std::string_view onboardingComplete = OnboardingKeys::onboardingComplete;

// Keys of earlier versions, removed at every launch.
inline constexpr std::string_view retiredAppearanceMode = "display.appearanceMode";
inline constexpr std::string_view retiredMenuBarIcon = "display.menuBarIcon";

}  // namespace quaylight::SettingsKeys
