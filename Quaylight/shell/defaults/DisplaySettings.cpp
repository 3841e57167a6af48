#include "Quaylight/shell/defaults/DisplaySettings.h"

#include <string>

#include "Quaylight/shell/defaults/SettingsKeys.h"

namespace quaylight {

namespace {

template <RawEnum E>
E storedCase(const UserDefaults& defaults, std::string_view key, E fallback) {
    auto text = defaults.stringValue(key);
    if (!text) return fallback;
    return fromRawValue<E>(*text).value_or(fallback);
}

}  // namespace

DisplaySettings::RowDensity DisplaySettings::rowDensity() const {
    return storedCase(defaults_, SettingsKeys::rowDensity, RowDensity::comfortable);
}

DefaultFilterSetting DisplaySettings::defaultFilter() const {
    return storedCase(defaults_, SettingsKeys::defaultFilter, DefaultFilterSetting::agents);
}

BatteryMode DisplaySettings::batteryMode() const {
    return storedCase(defaults_, SettingsKeys::batteryMode, BatteryMode::balanced);
}

bool DisplaySettings::boolForKey(std::string_view key, bool fallback) const {
    return defaults_.boolValue(key).value_or(fallback);
}

RowVisibleFields DisplaySettings::visibleFields() const {
    RowVisibleFields fields;
    fields.port = boolForKey(SettingsKeys::showPort, true);
    fields.cpu = boolForKey(SettingsKeys::showCPU, false);
    fields.memory = boolForKey(SettingsKeys::showMemory, false);
    fields.path = boolForKey(SettingsKeys::showPath, false);
    fields.host = boolForKey(SettingsKeys::showHost, false);
    fields.project = boolForKey(SettingsKeys::showProject, false);
    fields.uptime = boolForKey(SettingsKeys::showUptime, false);
    fields.power = boolForKey(SettingsKeys::showPower, false);
    fields.powerLabels = boolForKey(SettingsKeys::showPowerLabels, false);
    return fields;
}

bool DisplaySettings::autoCloseAfterOpening() const { return boolForKey(SettingsKeys::autoCloseAfterOpening, false); }

void DisplaySettings::setRowDensity(RowDensity density) {
    defaults_.setString(SettingsKeys::rowDensity, std::string(rawValue(density)));
}

void DisplaySettings::setDefaultFilter(DefaultFilterSetting filter) {
    defaults_.setString(SettingsKeys::defaultFilter, std::string(rawValue(filter)));
}

void DisplaySettings::setBatteryMode(BatteryMode mode) {
    defaults_.setString(SettingsKeys::batteryMode, std::string(rawValue(mode)));
}

void DisplaySettings::setVisibleFields(const RowVisibleFields& fields) {
    defaults_.setBool(SettingsKeys::showPort, fields.port);
    defaults_.setBool(SettingsKeys::showCPU, fields.cpu);
    defaults_.setBool(SettingsKeys::showMemory, fields.memory);
    defaults_.setBool(SettingsKeys::showPath, fields.path);
    defaults_.setBool(SettingsKeys::showHost, fields.host);
    defaults_.setBool(SettingsKeys::showProject, fields.project);
    defaults_.setBool(SettingsKeys::showUptime, fields.uptime);
    defaults_.setBool(SettingsKeys::showPower, fields.power);
    defaults_.setBool(SettingsKeys::showPowerLabels, fields.powerLabels);
}

}  // namespace quaylight
