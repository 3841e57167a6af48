#include "Quaylight/shell/shortcut/GlobalShortcutPreference.h"

#include <nlohmann/json.hpp>

#include "Quaylight/shell/shortcut/GlobalShortcutKeyMap.h"

namespace quaylight {

namespace {

std::string lowercased(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return result;
}

std::string uppercased(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return result;
}

}  // namespace

GlobalShortcutPreference GlobalShortcutPreference::defaultPreference() {
    return {"p", {GlobalShortcutModifier::command, GlobalShortcutModifier::option}};
}

std::string GlobalShortcutPreference::displayText() const {
    std::string text;
    for (auto modifier : allCases<GlobalShortcutModifier>()) {
        if (!modifiers.contains(modifier)) continue;
        text += displayName(modifier);
        text += '+';
    }
    return text + uppercased(key);
}

std::string GlobalShortcutPreference::toJSON() const {
    nlohmann::ordered_json document;
    document["key"] = key;
    auto list = nlohmann::ordered_json::array();
    for (auto modifier : modifiers) list.push_back(std::string(rawValue(modifier)));
    document["modifiers"] = std::move(list);
    return document.dump();
}

std::optional<GlobalShortcutPreference> GlobalShortcutPreference::fromJSON(std::string_view text) {
    auto document = nlohmann::json::parse(text, nullptr, false);
    if (document.is_discarded() || !document.is_object()) return std::nullopt;
    auto key = document.find("key");
    auto modifiers = document.find("modifiers");
    if (key == document.end() || !key->is_string()) return std::nullopt;
    if (modifiers == document.end() || !modifiers->is_array()) return std::nullopt;
    GlobalShortcutPreference preference;
    preference.key = key->get<std::string>();
    for (const auto& raw : *modifiers) {
        if (!raw.is_string()) return std::nullopt;
        auto modifier = fromRawValue<GlobalShortcutModifier>(raw.get<std::string>());
        if (!modifier) return std::nullopt;
        preference.modifiers.insert(*modifier);
    }
    return preference;
}

bool operator==(const GlobalShortcutPreference& a, const GlobalShortcutPreference& b) {
    return a.modifiers == b.modifiers && lowercased(a.key) == lowercased(b.key);
}

std::optional<std::string> validationError(const GlobalShortcutPreference& preference) {
    const bool onlyShift = preference.modifiers.size() == 1 && preference.modifiers.contains(GlobalShortcutModifier::shift);
    if (preference.modifiers.empty()) return "Choose at least one modifier.";
    if (onlyShift) return "Shift alone is not enough; choose Super, Alt or Ctrl too.";
    if (!GlobalShortcutKeyMap::keySym(preference.key)) return "Choose a letter, number, or punctuation key.";
    return std::nullopt;
}

}  // namespace quaylight
