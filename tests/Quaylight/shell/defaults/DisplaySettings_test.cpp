#include <gtest/gtest.h>

#include "Quaylight/shell/defaults/DisplaySettings.h"
#include "Quaylight/shell/defaults/SettingsKeys.h"

namespace quaylight {
namespace {

using Value = UserDefaults::Value;
using RowDensity = DisplaySettings::RowDensity;

struct TextCase {
    std::optional<Value> stored;
    RowDensity density;
    DefaultFilterSetting filter;
    BatteryMode battery;
};

TEST(DisplaySettings, StoredTextsReadAsTheirCaseAndEverythingElseAsTheDefault) {
    const std::vector<TextCase> cases{
        {std::nullopt, RowDensity::comfortable, DefaultFilterSetting::agents, BatteryMode::balanced},
        {Value(std::string("compact")), RowDensity::compact, DefaultFilterSetting::agents, BatteryMode::balanced},
        {Value(std::string("Compact")), RowDensity::comfortable, DefaultFilterSetting::agents, BatteryMode::balanced},
        {Value(std::string("all")), RowDensity::comfortable, DefaultFilterSetting::all, BatteryMode::balanced},
        {Value(std::string("lastUsed")), RowDensity::comfortable, DefaultFilterSetting::lastUsed, BatteryMode::balanced},
        {Value(std::string("batterySaver")), RowDensity::comfortable, DefaultFilterSetting::agents, BatteryMode::batterySaver},
        {Value(std::string("")), RowDensity::comfortable, DefaultFilterSetting::agents, BatteryMode::balanced},
        {Value(true), RowDensity::comfortable, DefaultFilterSetting::agents, BatteryMode::balanced},
        {Value(std::int64_t{1}), RowDensity::comfortable, DefaultFilterSetting::agents, BatteryMode::balanced},
    };
    for (const auto& c : cases) {
        InMemoryUserDefaults defaults;
        if (c.stored) {
            defaults.set(SettingsKeys::rowDensity, *c.stored);
            defaults.set(SettingsKeys::defaultFilter, *c.stored);
            defaults.set(SettingsKeys::batteryMode, *c.stored);
        }
        DisplaySettings settings(defaults);
        EXPECT_EQ(settings.rowDensity(), c.density);
        EXPECT_EQ(settings.defaultFilter(), c.filter);
        EXPECT_EQ(settings.batteryMode(), c.battery);
    }
}

TEST(DisplaySettings, VisibleFieldsDefaultToThePortAlone) {
    InMemoryUserDefaults defaults;
    DisplaySettings settings(defaults);
    RowVisibleFields expected;
    expected.port = true;
    EXPECT_EQ(settings.visibleFields(), expected);

    defaults.setBool(SettingsKeys::showPort, false);
    EXPECT_FALSE(settings.visibleFields().port);
    defaults.removeObject(SettingsKeys::showPort);
    EXPECT_TRUE(settings.visibleFields().port);
    // Only a stored Boolean counts.
    defaults.setString(SettingsKeys::showCPU, "true");
    EXPECT_FALSE(settings.visibleFields().cpu);
}

TEST(DisplaySettings, SetVisibleFieldsStoresAllNineFlagsUnderTheirKeys) {
    InMemoryUserDefaults defaults;
    DisplaySettings settings(defaults);
    RowVisibleFields fields{false, true, false, true, false, true, false, true, true};
    settings.setVisibleFields(fields);
    EXPECT_EQ(defaults.values().size(), 9u);
    const std::vector<std::pair<std::string_view, bool>> stored{
        {SettingsKeys::showPort, false},  {SettingsKeys::showCPU, true},     {SettingsKeys::showMemory, false},
        {SettingsKeys::showPath, true},   {SettingsKeys::showHost, false},   {SettingsKeys::showProject, true},
        {SettingsKeys::showUptime, false}, {SettingsKeys::showPower, true}, {SettingsKeys::showPowerLabels, true},
    };
    for (const auto& [key, value] : stored) EXPECT_EQ(defaults.boolValue(key), value) << key;
    EXPECT_EQ(settings.visibleFields(), fields);
}

TEST(DisplaySettings, SettersStoreRawValuesAndAutoCloseDefaultsOff) {
    InMemoryUserDefaults defaults;
    DisplaySettings settings(defaults);
    EXPECT_FALSE(settings.autoCloseAfterOpening());
    defaults.setBool(SettingsKeys::autoCloseAfterOpening, true);
    EXPECT_TRUE(settings.autoCloseAfterOpening());
    settings.setDefaultFilter(DefaultFilterSetting::lastUsed);
    settings.setRowDensity(RowDensity::compact);
    settings.setBatteryMode(BatteryMode::batterySaver);
    EXPECT_EQ(defaults.stringValue(SettingsKeys::defaultFilter), "lastUsed");
    EXPECT_EQ(defaults.stringValue(SettingsKeys::rowDensity), "compact");
    EXPECT_EQ(defaults.stringValue(SettingsKeys::batteryMode), "batterySaver");
}

}  // namespace
}  // namespace quaylight
