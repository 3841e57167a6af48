#include <gtest/gtest.h>

#include "ProcessCoreKit/support/Text.h"

namespace quaylight {
namespace {

TEST(Text, PathBasenames) {
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {"/usr/bin/node", "node"}, {"node", "node"}, {"/a/b/", "b"}, {"/", std::nullopt}, {"", std::nullopt},
    };
    for (const auto& [path, base] : cases) EXPECT_EQ(pathBasename(path), base) << path;
    EXPECT_EQ(basenameOrName("/", "kworker"), "kworker");
    EXPECT_EQ(basenameOrName(std::nullopt, std::nullopt), std::nullopt);
}

TEST(Text, RepairsBytesThatAreNotUTF8) {
    EXPECT_EQ(decodeUtf8Lossy("caf\xc3\xa9"), "caf\xc3\xa9");
    EXPECT_EQ(decodeUtf8Lossy("a\xff" "b"), "a\xef\xbf\xbd" "b");
}

TEST(Text, LowersASCIIAndTrimsASCIIBlanksOnly) {
    EXPECT_EQ(asciiLowercased("Vite.CONFIG \xc3\x89t\xc3\xa9"), "vite.config \xc3\x89t\xc3\xa9");
    const std::pair<std::string, std::string> cases[] = {
        {" \t--HTTPS\r\n", "--HTTPS"}, {"\v\f", ""}, {"", ""}, {"a b", "a b"}, {"\xc2\xa0x", "\xc2\xa0x"},
    };
    for (const auto& [text, trimmed] : cases) EXPECT_EQ(trimmedASCIIWhitespace(text), trimmed) << text;
}

TEST(Text, ControlsAndBidiControlsAreNeutralisedForDisplay) {
    const std::pair<std::string, std::string> cases[] = {
        {"evil\u202egpj.exe", "evil?gpj.exe"},
        {"\u200ea\u200fb\u061c", "?a?b?"},
        {"\u202a\u202b\u202c\u202d\u2066\u2067\u2068\u2069", "????????"},
        {"tab\there\x1b[2J\x7f\xc2\x85", "tab?here?[2J??"},
        {"bad\xff", "bad\ufffd"},
        {"\u05e9\u05dc\u05d5\u05dd caf\u00e9 \U0001F469\u200D\U0001F4BB \u00a0", "\u05e9\u05dc\u05d5\u05dd caf\u00e9 \U0001F469\u200D\U0001F4BB \u00a0"},
    };
    for (const auto& [text, shown] : cases) EXPECT_EQ(neutralisedDisplayText(text), shown) << text;
}

}  // namespace
}  // namespace quaylight
