#pragma once
// The user's stored settings, by key ("display.rowDensity", "launchAtLoginEnabled", ...).
// The application backs it with its settings file; tests use the in-memory store.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace quaylight {

class UserDefaults {
public:
    using Value = std::variant<bool, std::int64_t, double, std::string>;

    virtual ~UserDefaults() = default;

    virtual std::optional<Value> object(std::string_view key) const = 0;
    virtual void set(std::string_view key, Value value) = 0;
    virtual void removeObject(std::string_view key) = 0;

    bool contains(std::string_view key) const { return object(key).has_value(); }

    // Typed reads give no value when the key is missing or holds another type; a boolean
    // is only ever a stored boolean, never a text that merely looks like one.
    std::optional<bool> boolValue(std::string_view key) const;
    std::optional<std::int64_t> integerValue(std::string_view key) const;
    std::optional<double> doubleValue(std::string_view key) const;
    std::optional<std::string> stringValue(std::string_view key) const;

    // Conveniences with the platform's defaults for a missing key: false, 0.
    bool boolForKey(std::string_view key) const { return boolValue(key).value_or(false); }
    std::int64_t integerForKey(std::string_view key) const { return integerValue(key).value_or(0); }

    void setBool(std::string_view key, bool value) { set(key, Value(value)); }
    void setInteger(std::string_view key, std::int64_t value) { set(key, Value(value)); }
    void setString(std::string_view key, std::string value) { set(key, Value(std::move(value))); }
};

class InMemoryUserDefaults final : public UserDefaults {
public:
    std::optional<Value> object(std::string_view key) const override;
    void set(std::string_view key, Value value) override;
    void removeObject(std::string_view key) override;

    const std::map<std::string, Value, std::less<>>& values() const { return values_; }

private:
    std::map<std::string, Value, std::less<>> values_;
};

}  // namespace quaylight
