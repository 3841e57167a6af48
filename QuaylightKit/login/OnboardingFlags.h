#pragma once
// The stored first-run flags, and the one-time upgrade from the earlier onboarding (whose
// completion was the single flag "tidewatchOfferCompleted") to the current sequence of
// welcome, launch-at-login offer and walkthrough, each with its own flag.

#include <string_view>

#include "QuaylightKit/platform/UserDefaults.h"

namespace quaylight {

// The user-defaults keys of the first-run flags; the application's settings keys name them too.
namespace OnboardingKeys {
inline constexpr std::string_view tidewatchOfferCompleted = "tidewatchOfferCompleted";
inline constexpr std::string_view migrationApplied = "quaylightOnboardingMigrationApplied";
inline constexpr std::string_view onboardingComplete = "quaylightOnboardingComplete";
inline constexpr std::string_view launchAtLoginOfferCompleted = "launchAtLoginOfferCompleted";
inline constexpr std::string_view walkthroughCompleted = "walkthroughCompleted";
inline constexpr std::string_view agentMonitoringEnabled = "agentMonitoringEnabled";
}  // namespace OnboardingKeys

// The two flags that decide which first-run screen the panel shows; each mirrors the
// user-defaults key of its name (absent = false).
struct OnboardingFlags {
    bool launchAtLoginOfferCompleted = false;
    bool quaylightOnboardingComplete = false;
    friend bool operator==(const OnboardingFlags&, const OnboardingFlags&) = default;

    static OnboardingFlags read(const UserDefaults& defaults);
};

// The six stored flags the migration looks at, each mirroring its key (absent = false).
struct OnboardingMigrationSnapshot {
    bool tidewatchOfferCompleted = false;  // only read
    bool quaylightOnboardingMigrationApplied = false;
    bool quaylightOnboardingComplete = false;
    bool launchAtLoginOfferCompleted = false;
    bool walkthroughCompleted = false;
    bool agentMonitoringEnabled = false;
    friend bool operator==(const OnboardingMigrationSnapshot&, const OnboardingMigrationSnapshot&) = default;

    static OnboardingMigrationSnapshot read(const UserDefaults& defaults);
};

struct OnboardingMigration {
    // Once the marker is set nothing changes again; without the earlier completion flag
    // nothing changes either, and the migration is looked at again at the next launch.
    static OnboardingMigrationSnapshot apply(const OnboardingMigrationSnapshot& snapshot);
    // Applies the migration to the stored flags, before anything reads them: writes the
    // four flags and then the marker, only when something changes ("tidewatchOfferCompleted"
    // is never written). True when it wrote.
    static bool applyStored(UserDefaults& defaults);
    // Stores the offer and the walkthrough as done, without touching the marker.
    static void markFirstRunFinished(UserDefaults& defaults);
};

}  // namespace quaylight
