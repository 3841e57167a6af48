#include "QuaylightKit/login/OnboardingFlags.h"

namespace quaylight {

OnboardingFlags OnboardingFlags::read(const UserDefaults& d) {
    return {d.boolForKey("launchAtLoginOfferCompleted"), d.boolForKey("quaylightOnboardingComplete")};
}

OnboardingMigrationSnapshot OnboardingMigrationSnapshot::read(const UserDefaults& d) {
    return {
        d.boolForKey("tidewatchOfferCompleted"),     d.boolForKey("quaylightOnboardingMigrationApplied"),
        d.boolForKey("quaylightOnboardingComplete"), d.boolForKey("launchAtLoginOfferCompleted"),
        d.boolForKey("walkthroughCompleted"),        d.boolForKey("agentMonitoringEnabled"),
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
    d.setBool("quaylightOnboardingComplete", migrated.quaylightOnboardingComplete);
    d.setBool("launchAtLoginOfferCompleted", migrated.launchAtLoginOfferCompleted);
    d.setBool("walkthroughCompleted", migrated.walkthroughCompleted);
    d.setBool("agentMonitoringEnabled", migrated.agentMonitoringEnabled);
    // Last, so that an interrupted write is done again at the next launch.
    d.setBool("quaylightOnboardingMigrationApplied", migrated.quaylightOnboardingMigrationApplied);
    return true;
}

void OnboardingMigration::markFirstRunFinished(UserDefaults& d) {
    d.setBool("launchAtLoginOfferCompleted", true);
    d.setBool("walkthroughCompleted", true);
    d.setBool("quaylightOnboardingComplete", true);
}

}  // namespace quaylight
