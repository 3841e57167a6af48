#include "QuaylightKit/login/OnboardingFlags.h"

#include <gtest/gtest.h>

namespace quaylight {
namespace {

using Snapshot = OnboardingMigrationSnapshot;

// Remembers the order of writes.
class RecordingDefaults final : public UserDefaults {
public:
    std::optional<Value> object(std::string_view key) const override { return store_.object(key); }
    void set(std::string_view key, Value value) override {
        writes.emplace_back(key);
        store_.set(key, std::move(value));
    }
    void removeObject(std::string_view key) override { store_.removeObject(key); }

    std::vector<std::string> writes;

private:
    InMemoryUserDefaults store_;
};

TEST(OnboardingMigration, OfferWithoutMarkerCompletesOnboardingOnce) {
    // Fields: offer, marker, onboarding complete, launch offer completed, walkthrough, monitoring.
    const std::vector<std::pair<Snapshot, Snapshot>> cases{
        {{false, false, false, false, false, false}, {false, false, false, false, false, false}},
        {{true, false, false, false, false, true}, {true, true, true, true, true, false}},
        {{true, false, true, false, true, false}, {true, true, true, true, true, false}},
        {{true, true, false, false, false, true}, {true, true, false, false, false, true}},  // applied before
        {{false, true, false, true, false, true}, {false, true, false, true, false, true}},
        {{false, false, true, true, true, true}, {false, false, true, true, true, true}},  // looked at again later
    };
    for (std::size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(OnboardingMigration::apply(cases[i].first), cases[i].second) << i;
}

TEST(OnboardingMigration, StoredFlagsAreWrittenOnceWithTheMarkerLast) {
    RecordingDefaults defaults;
    EXPECT_FALSE(OnboardingMigration::applyStored(defaults));  // nothing set: nothing written
    EXPECT_TRUE(defaults.writes.empty());

    defaults.setBool("tidewatchOfferCompleted", true);
    defaults.setBool("agentMonitoringEnabled", true);
    defaults.writes.clear();
    EXPECT_TRUE(OnboardingMigration::applyStored(defaults));
    EXPECT_EQ(defaults.writes, (std::vector<std::string>{"quaylightOnboardingComplete", "launchAtLoginOfferCompleted",
                                                         "walkthroughCompleted", "agentMonitoringEnabled",
                                                         "quaylightOnboardingMigrationApplied"}));
    EXPECT_EQ(Snapshot::read(defaults), (Snapshot{true, true, true, true, true, false}));
    EXPECT_EQ(OnboardingFlags::read(defaults), (OnboardingFlags{true, true}));

    // Replaying the walkthrough later is not undone by the next launch.
    defaults.setBool("quaylightOnboardingComplete", false);
    defaults.writes.clear();
    EXPECT_FALSE(OnboardingMigration::applyStored(defaults));
    EXPECT_TRUE(defaults.writes.empty());
    EXPECT_EQ(OnboardingFlags::read(defaults), (OnboardingFlags{true, false}));
}

TEST(OnboardingFlags, AbsentOrNonBooleanKeysReadAsFalse) {
    InMemoryUserDefaults defaults;
    defaults.setString("launchAtLoginOfferCompleted", "true");
    EXPECT_EQ(OnboardingFlags::read(defaults), (OnboardingFlags{false, false}));
}

}  // namespace
}  // namespace quaylight
