#include <gtest/gtest.h>

#include <Qt>
#include <nlohmann/json.hpp>

#include "Quaylight/shell/defaults/SettingsKeys.h"
#include "Quaylight/shell/shortcut/GlobalShortcutKeyMap.h"
#include "Quaylight/shell/shortcut/GlobalShortcutPreference.h"
#include "Quaylight/shell/shortcut/GlobalShortcutSettings.h"

namespace quaylight {
namespace {

using M = GlobalShortcutModifier;

TEST(GlobalShortcutPreference, DisplayTextNamesModifiersInOrderThenTheKeyUppercased) {
    const std::vector<std::pair<GlobalShortcutPreference, std::string>> cases{
        {GlobalShortcutPreference::defaultPreference(), "Super+Alt+P"},
        {{"p", {M::option, M::command}}, "Super+Alt+P"},
        {{"k", {M::shift, M::control, M::option, M::command}}, "Super+Alt+Ctrl+Shift+K"},
        {{"1", {M::control}}, "Ctrl+1"},
        {{"=", {M::shift, M::control}}, "Ctrl+Shift+="},
        {{"`", {M::command}}, "Super+`"},
        {{"P", {M::command}}, "Super+P"},
        {{"x", {}}, "X"},
    };
    for (const auto& [preference, text] : cases) EXPECT_EQ(preference.displayText(), text);
}

TEST(GlobalShortcutPreference, TheDefaultIsLowercasePWithSuperAndAlt) {
    auto preference = GlobalShortcutPreference::defaultPreference();
    EXPECT_EQ(preference.key, "p");
    EXPECT_EQ(preference.modifiers, (std::set<M>{M::command, M::option}));
    auto stored = nlohmann::json::parse(preference.toJSON());
    EXPECT_EQ(stored["key"], "p");
    EXPECT_EQ(stored["modifiers"], nlohmann::json::array({"command", "option"}));
}

TEST(GlobalShortcutPreference, KeysCompareWithoutCase) {
    EXPECT_EQ((GlobalShortcutPreference{"P", {M::command}}), (GlobalShortcutPreference{"p", {M::command}}));
    EXPECT_FALSE((GlobalShortcutPreference{"p", {M::command}}) == (GlobalShortcutPreference{"p", {M::option}}));
    EXPECT_FALSE((GlobalShortcutPreference{"p", {M::command}}) == (GlobalShortcutPreference{"o", {M::command}}));
}

struct DecodeCase {
    const char* text;
    std::optional<GlobalShortcutPreference> decoded;
};

TEST(GlobalShortcutPreference, DecodesOnlyShortcutDocuments) {
    const std::vector<DecodeCase> cases{
        {R"({"key":"p","modifiers":["command","option"]})", GlobalShortcutPreference{"p", {M::command, M::option}}},
        {R"({"modifiers":["option","command","option"],"key":"P"})", GlobalShortcutPreference{"P", {M::command, M::option}}},
        {R"({"key":"k","modifiers":[]})", GlobalShortcutPreference{"k", {}}},
        {R"({"key":"k","modifiers":["shift"],"extra":1})", GlobalShortcutPreference{"k", {M::shift}}},
        {R"({"key":"p","modifiers":["super"]})", std::nullopt},
        {R"({"key":"p","modifiers":["Command"]})", std::nullopt},
        {R"({"key":"p","modifiers":"command"})", std::nullopt},
        {R"({"key":"p","modifiers":[1]})", std::nullopt},
        {R"({"key":7,"modifiers":["command"]})", std::nullopt},
        {R"({"modifiers":["command"]})", std::nullopt},
        {R"({"key":"p"})", std::nullopt},
        {R"(["p",["command"]])", std::nullopt},
        {R"({"key":"p","modifiers":["command"])", std::nullopt},
        {"", std::nullopt},
        {"true", std::nullopt},
    };
    for (const auto& c : cases) {
        auto decoded = GlobalShortcutPreference::fromJSON(c.text);
        EXPECT_EQ(decoded.has_value(), c.decoded.has_value()) << c.text;
        if (decoded && c.decoded) {
            EXPECT_EQ(decoded->key, c.decoded->key) << c.text;
            EXPECT_EQ(decoded->modifiers, c.decoded->modifiers) << c.text;
        }
    }
}

TEST(GlobalShortcutPreference, EncodingRoundTrips) {
    for (auto preference : {GlobalShortcutPreference::defaultPreference(), GlobalShortcutPreference{"\\", {M::control, M::shift}},
                            GlobalShortcutPreference{"\"", {M::option}}}) {
        auto decoded = GlobalShortcutPreference::fromJSON(preference.toJSON());
        ASSERT_TRUE(decoded);
        EXPECT_EQ(decoded->key, preference.key);
        EXPECT_EQ(decoded->modifiers, preference.modifiers);
    }
}

struct ValidationCase {
    GlobalShortcutPreference preference;
    std::optional<std::string> error;
};

TEST(GlobalShortcutPreference, ValidationNeedsARealModifierAndAKeyOfTheMap) {
    const std::string noModifier = "Choose at least one modifier.";
    const std::string shiftAlone = "Shift alone is not enough; choose Super, Alt or Ctrl too.";
    const std::string badKey = "Choose a letter, number, or punctuation key.";
    const std::vector<ValidationCase> cases{
        {GlobalShortcutPreference::defaultPreference(), std::nullopt},
        {{"P", {M::command}}, std::nullopt},
        {{"0", {M::control}}, std::nullopt},
        {{"k", {M::shift, M::control}}, std::nullopt},
        {{"k", {}}, noModifier},
        {{"k", {M::shift}}, shiftAlone},
        {{"§", {M::shift}}, shiftAlone},
        {{"§", {M::command}}, badKey},
        {{" ", {M::command}}, badKey},
        {{"", {M::command}}, badKey},
        {{"pp", {M::command}}, badKey},
        {{"+", {M::command}}, badKey},
        {{"F1", {M::command}}, badKey},
    };
    for (const auto& c : cases) EXPECT_EQ(validationError(c.preference), c.error) << c.preference.displayText();
}

TEST(GlobalShortcutKeyMap, HoldsTheFortySevenKeysWithTheirKeySymsAndQtKeys) {
    EXPECT_EQ(GlobalShortcutKeyMap::supportedKeys.size(), 47u);
    for (char c : GlobalShortcutKeyMap::supportedKeys) {
        const std::string key(1, c);
        EXPECT_EQ(GlobalShortcutKeyMap::keySym(key), static_cast<std::uint32_t>(c)) << key;
        EXPECT_TRUE(GlobalShortcutKeyMap::qtKey(key)) << key;
    }
    EXPECT_EQ(GlobalShortcutKeyMap::keySym("P"), 0x70u);
    EXPECT_EQ(GlobalShortcutKeyMap::qtKey("p"), Qt::Key_P);
    EXPECT_EQ(GlobalShortcutKeyMap::qtKey("`"), Qt::Key_QuoteLeft);
    EXPECT_EQ(GlobalShortcutKeyMap::qtKey("]"), Qt::Key_BracketRight);
    EXPECT_FALSE(GlobalShortcutKeyMap::keySym("é"));
    EXPECT_FALSE(GlobalShortcutKeyMap::keySym("!"));
}

struct StoredCase {
    const char* name;
    std::optional<UserDefaults::Value> stored;
    std::string displayText;
    bool unreadable;
};

TEST(GlobalShortcutSettings, StoredShortcutOrTheDefaultWithUnreadableNoted) {
    using V = UserDefaults::Value;
    const std::vector<StoredCase> cases{
        {"absent", std::nullopt, "Super+Alt+P", false},
        {"stored", V(std::string(R"({"key":"k","modifiers":["control","shift"]})")), "Ctrl+Shift+K", false},
        {"uppercase key", V(std::string(R"({"key":"P","modifiers":["command"]})")), "Super+P", false},
        {"no modifiers", V(std::string(R"({"key":"k","modifiers":[]})")), "Super+Alt+P", true},
        {"shift alone", V(std::string(R"({"key":"k","modifiers":["shift"]})")), "Super+Alt+P", true},
        {"unsupported key", V(std::string(R"({"key":"§","modifiers":["command"]})")), "Super+Alt+P", true},
        {"not JSON", V(std::string("{broken")), "Super+Alt+P", true},
        {"not a text", V(true), "Super+Alt+P", true},
    };
    for (const auto& c : cases) {
        InMemoryUserDefaults defaults;
        if (c.stored) defaults.set(SettingsKeys::globalShortcut, *c.stored);
        auto loaded = GlobalShortcutSettings::preference(defaults);
        EXPECT_EQ(loaded.preference.displayText(), c.displayText) << c.name;
        EXPECT_EQ(loaded.unreadable, c.unreadable) << c.name;
        // Reading never rewrites.
        EXPECT_EQ(defaults.object(SettingsKeys::globalShortcut), c.stored) << c.name;
    }
}

TEST(GlobalShortcutSettings, EnabledUnlessAStoredBooleanSaysOtherwise) {
    InMemoryUserDefaults defaults;
    EXPECT_TRUE(GlobalShortcutSettings::isEnabled(defaults));
    GlobalShortcutSettings::setEnabled(false, defaults);
    EXPECT_EQ(defaults.boolValue(SettingsKeys::globalShortcutEnabled), false);
    EXPECT_FALSE(GlobalShortcutSettings::isEnabled(defaults));
    defaults.setString(SettingsKeys::globalShortcutEnabled, "false");
    EXPECT_TRUE(GlobalShortcutSettings::isEnabled(defaults));
}

}  // namespace
}  // namespace quaylight
