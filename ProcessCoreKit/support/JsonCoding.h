#pragma once
// Keyed coding of optional fields: absent values are omitted, and a missing (or null)
// key decodes as absent.

#include <optional>
#include <string_view>

#include <nlohmann/json.hpp>

namespace quaylight::json_coding {

template <class BasicJson, class T>
void putIfPresent(BasicJson& j, std::string_view key, const std::optional<T>& value) {
    if (value) j[std::string(key)] = *value;
}

template <class T, class BasicJson>
std::optional<T> getIfPresent(const BasicJson& j, std::string_view key) {
    auto it = j.find(std::string(key));
    if (it == j.end() || it->is_null()) return std::nullopt;
    return it->template get<T>();
}

// Decodes `T` from JSON, giving no value instead of throwing on a missing key or wrong type.
template <class T, class BasicJson>
std::optional<T> decode(const BasicJson& j) {
    try {
        return j.template get<T>();
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

}  // namespace quaylight::json_coding
