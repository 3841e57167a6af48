#include "QuaylightKit/platform/UserDefaults.h"

namespace quaylight {

std::optional<bool> UserDefaults::boolValue(std::string_view key) const {
    auto value = object(key);
    if (!value) return std::nullopt;
    if (auto* b = std::get_if<bool>(&*value)) return *b;
    return std::nullopt;
}

std::optional<std::int64_t> UserDefaults::integerValue(std::string_view key) const {
    auto value = object(key);
    if (!value) return std::nullopt;
    if (auto* i = std::get_if<std::int64_t>(&*value)) return *i;
    return std::nullopt;
}

std::optional<double> UserDefaults::doubleValue(std::string_view key) const {
    auto value = object(key);
    if (!value) return std::nullopt;
    if (auto* d = std::get_if<double>(&*value)) return *d;
    if (auto* i = std::get_if<std::int64_t>(&*value)) return static_cast<double>(*i);
    return std::nullopt;
}

std::optional<std::string> UserDefaults::stringValue(std::string_view key) const {
    auto value = object(key);
    if (!value) return std::nullopt;
    if (auto* s = std::get_if<std::string>(&*value)) return *s;
    return std::nullopt;
}

std::optional<UserDefaults::Value> InMemoryUserDefaults::object(std::string_view key) const {
    auto it = values_.find(key);
    if (it == values_.end()) return std::nullopt;
    return it->second;
}

void InMemoryUserDefaults::set(std::string_view key, Value value) { values_.insert_or_assign(std::string(key), std::move(value)); }

void InMemoryUserDefaults::removeObject(std::string_view key) {
    if (auto it = values_.find(key); it != values_.end()) values_.erase(it);
}

}  // namespace quaylight
