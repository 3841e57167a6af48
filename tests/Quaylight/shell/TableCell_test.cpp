#include <gtest/gtest.h>

#include <iterator>

#include <nlohmann/json.hpp>
#include <utf8.h>

#include "Quaylight/shell/SortedPrettyJSON.h"
#include "Quaylight/shell/TableCell.h"

namespace quaylight {
namespace {

TEST(TableCell, CountsUserPerceivedCharacters) {
    const std::pair<std::string, std::size_t> cases[] = {
        {"", 0},
        {"node", 4},
        {"caf\u00e9", 4},
        {"cafe\u0301", 4},                                      // e and a combining acute accent
        {"\U0001F469\u200D\U0001F4BB", 1},                      // a joined emoji sequence
        {"\U0001F44D\U0001F3FD", 1},                            // an emoji with a skin tone
        {"\U0001F1E9\U0001F1EA\U0001F1EB\U0001F1F7", 2},        // two flags
        {"\u2764\uFE0F!", 2},                                   // a variation selector
        {"\u6f22\u5b57", 2},
        {"bad\xff", 4},
    };
    for (const auto& [text, length] : cases) EXPECT_EQ(perceivedLength(text), length) << text;
}

TEST(TableCell, FitsToWidthAndAlwaysEndsInASpace) {
    EXPECT_EQ(fittedCell("PORT", 7), "PORT   ");
    EXPECT_EQ(fittedCell("123456", 7), "123456 ");
    EXPECT_EQ(fittedCell("1234567", 7), "123456 ");
    EXPECT_EQ(fittedCell("cafe\u0301-bar", 6), "cafe\u0301- ");
    EXPECT_EQ(fittedCell("\U0001F1E9\U0001F1EA\U0001F1EB\U0001F1F7xyz", 3), "\U0001F1E9\U0001F1EA ");
    EXPECT_EQ(fittedCell("", 3), "   ");
    EXPECT_EQ(fittedCell("a\tb\x1b", 6), "a?b?  ");
}

TEST(TableCell, CountsTheColumnsATerminalDraws) {
    const std::pair<std::string, std::size_t> cases[] = {
        {"node", 4},
        {"cafe\u0301", 4},
        {"\u6f22\u5b57", 4},                                // CJK ideographs
        {"\u30b5\u30fc\u30d0", 6},                          // katakana
        {"\uff21\uff22", 4},                                // fullwidth Latin letters
        {"\ud55c", 2},                                      // a Hangul syllable
        {"\U0001F680x", 3},                                 // an emoji
        {"\U0001F469\u200D\U0001F4BB", 2},                  // a joined emoji sequence
        {"\U0001F44D\U0001F3FD", 2},                        // an emoji with a skin tone
        {"\U0001F1E9\U0001F1EA\U0001F1EB\U0001F1F7", 4},    // two flags
        {"\u2764\uFE0F!", 3},                               // text shown as emoji
        {"\u2764!", 2},                                     // the same as text
        {"\u00e9\u00a0\u0416", 3},                          // Latin, a no-break space, Cyrillic
    };
    for (const auto& [text, columns] : cases) EXPECT_EQ(displayWidth(text), columns) << text;
}

// Every cell of a column takes the same columns on screen, whatever its script.
TEST(TableCell, WideCharactersFitByColumnsAndAreNeverSplit) {
    const struct {
        const char* text;
        std::size_t width;
        const char* cell;
    } cases[] = {
        {"\u6f22\u5b57", 7, "\u6f22\u5b57   "},
        {"\u6f22\u5b57\u6f22\u5b57", 7, "\u6f22\u5b57\u6f22 "},   // six columns and the space
        {"\u6f22\u5b57\u6f22\u5b57", 8, "\u6f22\u5b57\u6f22  "},  // the fourth would leave no space
        {"a\U0001F680\U0001F680", 4, "a\U0001F680 "},
        {"\U0001F680\U0001F680", 4, "\U0001F680  "},
        {"\u6f22", 2, "  "},                                   // no room for it and a space
        {"\u6f22", 1, " "},
    };
    for (const auto& c : cases) {
        auto cell = fittedCell(c.text, c.width);
        EXPECT_EQ(cell, c.cell) << c.text << " in " << c.width;
        EXPECT_EQ(displayWidth(cell), c.width) << c.text << " in " << c.width;
    }
}

TEST(TableCell, ReplacesEveryControlCharacter) {
    std::string all;
    for (int c = 1; c < 0x20; ++c) all += static_cast<char>(c);
    all += '\x7f';
    all += "\xc2\x80\xc2\x9f\xc2\xa0";  // C1 controls, then a no-break space (kept)
    EXPECT_EQ(sanitizedCell(all), std::string(31 + 1 + 2, '?') + "\xc2\xa0");
    EXPECT_EQ(sanitizedCell("ok\xe2\x80\xa8"), "ok\xe2\x80\xa8");
}

// Each bidi mark, embedding, override and isolate could reorder the rest of the line.
TEST(TableCell, ShowsEveryBidiControlAsAQuestionMark) {
    const char32_t controls[] = {0x061c, 0x200e, 0x200f, 0x202a, 0x202b, 0x202c, 0x202d,
                                 0x202e, 0x2066, 0x2067, 0x2068, 0x2069};
    for (char32_t control : controls) {
        std::string text = "evil";
        utf8::append(control, std::back_inserter(text));
        text += "gpj.exe";
        EXPECT_EQ(sanitizedCell(text), "evil?gpj.exe") << std::hex << static_cast<std::uint32_t>(control);
        EXPECT_EQ(fittedCell(text, 14), "evil?gpj.exe  ") << std::hex << static_cast<std::uint32_t>(control);
    }
    // Letters of right-to-left scripts and the joiners of emoji are text, not controls.
    EXPECT_EQ(sanitizedCell("\u05e9\u05dc\u05d5\u05dd \U0001F469\u200D\U0001F4BB"),
              "\u05e9\u05dc\u05d5\u05dd \U0001F469\u200D\U0001F4BB");
}

TEST(SortedPrettyJSON, BidiControlsAreEscapedAndTheValueKept) {
    nlohmann::ordered_json value = nlohmann::ordered_json::object();
    value["name"] = "evil\u202egpj.exe \u2066x\u2069 \u200f \u00e9\xc2\x9b";
    const auto text = sortedPrettyJSON(value);
    EXPECT_EQ(text, "{\n  \"name\" : \"evil\\u202egpj.exe \\u2066x\\u2069 \\u200f \u00e9\\u009b\"\n}");
    EXPECT_EQ(nlohmann::json::parse(text)["name"], value["name"]);
}

TEST(SortedPrettyJSON, KeysSortedAtEveryLevelAndValuesExact) {
    nlohmann::ordered_json value = nlohmann::ordered_json::object();
    value["zeta"] = nlohmann::ordered_json::array({1, -2, true, nullptr});
    value["Alpha"] = "a/b\"\\\n\x01\x7f";
    value["alpha"] = std::uint64_t{18'446'744'073'709'551'615ULL};
    value["beta"] = nlohmann::ordered_json{{"y", 1}, {"x", nlohmann::ordered_json::object()}};
    value["empty"] = nlohmann::ordered_json::array();
    EXPECT_EQ(sortedPrettyJSON(value), "{\n"
                                       "  \"Alpha\" : \"a\\/b\\\"\\\\\\n\\u0001\x7f\",\n"
                                       "  \"alpha\" : 18446744073709551615,\n"
                                       "  \"beta\" : {\n"
                                       "    \"x\" : {\n\n    },\n"
                                       "    \"y\" : 1\n"
                                       "  },\n"
                                       "  \"empty\" : [\n\n  ],\n"
                                       "  \"zeta\" : [\n"
                                       "    1,\n"
                                       "    -2,\n"
                                       "    true,\n"
                                       "    null\n"
                                       "  ]\n"
                                       "}");
    EXPECT_TRUE(sortedKeyLess("bindScope", "bindSignature"));
    EXPECT_TRUE(sortedKeyLess("port", "process"));
    EXPECT_TRUE(sortedKeyLess("cpuReadable", "cpuTimeNanos"));
    EXPECT_TRUE(sortedKeyLess("a", "B"));
    EXPECT_FALSE(sortedKeyLess("a", "A"));
}

}  // namespace
}  // namespace quaylight
