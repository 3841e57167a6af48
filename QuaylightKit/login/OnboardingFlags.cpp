#include "QuaylightKit/login/OnboardingFlags.h"

namespace quaylight {

namespace Keys = OnboardingKeys;

OnboardingFlags OnboardingFlags::read(const UserDefaults& d) {
    return {d.boolForKey(Keys::launchAtLoginOfferCompleted), d.boolForKey(Keys::onboardingComplete)};
}

OnboardingMigrationSnapshot OnboardingMigrationSnapshot::read(const UserDefaults& d) {
    return {
        d.boolForKey(Keys::tidewatchOfferCompleted),  d.boolForKey(Keys::migrationApplied),
        d.boolForKey(Keys::onboardingComplete),       d.boolForKey(Keys::launchAtLoginOfferCompleted),
        d.boolForKey(Keys::walkthroughCompleted),     d.boolForKey(Keys::agentMonitoringEnabled),
    };
}

OnboardingMigrationSnapshot OnboardingMigration::apply(const OnboardingMigrationSnapshot& snapshot) {
    if (snapshot.quaylightOnboardingMigrationApplied || !snapshot.tidewatchOfferCompleted) return snapshot;
    auto migrated = snapshot;
    migrated.quaylightOnboardingMigrationApplied = true;
    migrated.quaylightOnboardingComplete = true;
    migrated.launchAtLoginOfferCompleted = true;
    migrated.walkthroughCompleted = true;
    migrated.agentMonitoringEnabled = false;
    return migrated;
}

bool OnboardingMigration::applyStored(UserDefaults& d) {
    const auto stored = OnboardingMigrationSnapshot::read(d);
    const auto migrated = apply(stored);
    if (migrated == stored) return false;
    d.setBool(Keys::onboardingComplete, migrated.quaylightOnboardingComplete);
    d.setBool(Keys::launchAtLoginOfferCompleted, migrated.launchAtLoginOfferCompleted);
    d.setBool(Keys::walkthroughCompleted, migrated.walkthroughCompleted);
    d.setBool(Keys::agentMonitoringEnabled, migrated.agentMonitoringEnabled);
    // Last, so that an interrupted write is done again at the next launch.
    d.setBool(Keys::migrationApplied, migrated.quaylightOnboardingMigrationApplied);
    return true;
}

void OnboardingMigration::markFirstRunFinished(UserDefaults& d) {
    d.setBool(Keys::launchAtLoginOfferCompleted, true);
    d.setBool(Keys::walkthroughCompleted, true);
    d.setBool(Keys::onboardingComplete, true);
}

}  // namespace quaylight
