#pragma once
// Closed sets with string raw values: one table per enumeration gives the raw value,
// parsing, the list of all cases and the JSON coding.

#include <array>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

// The declaration is enough: the coders below are templates instantiated where JSON is coded.
#include <nlohmann/json_fwd.hpp>

namespace quaylight {

// Specialise with `static constexpr std::array<std::pair<E, std::string_view>, N> table`
// listing every case in declaration order.
template <class E>
struct RawValues;

template <class E>
concept RawEnum = requires { RawValues<E>::table; };

template <RawEnum E>
constexpr std::string_view rawValue(E value) {
    for (const auto& [c, raw] : RawValues<E>::table)
        if (c == value) return raw;
    return {};
}

// Exact, case-sensitive match; anything else gives no value.
template <RawEnum E>
constexpr std::optional<E> fromRawValue(std::string_view raw) {
    for (const auto& [c, r] : RawValues<E>::table)
        if (r == raw) return c;
    return std::nullopt;
}

template <RawEnum E>
constexpr auto allCases() {
    constexpr auto& table = RawValues<E>::table;
    std::array<E, table.size()> cases{};
    for (std::size_t i = 0; i < table.size(); ++i) cases[i] = table[i].first;
    return cases;
}

}  // namespace quaylight

// Coded as the raw value. A serializer specialisation (not ADL functions) so that it wins
// over the library's own integer coding of enumerations.
template <quaylight::RawEnum E>
struct nlohmann::adl_serializer<E> {
    template <class BasicJson>
    static void to_json(BasicJson& j, const E& value) {
        j = std::string(quaylight::rawValue(value));
    }
    template <class BasicJson>
    static void from_json(const BasicJson& j, E& value) {
        auto parsed = quaylight::fromRawValue<E>(j.template get<std::string>());
        if (!parsed) throw std::invalid_argument("unknown raw value");
        value = *parsed;
    }
};
