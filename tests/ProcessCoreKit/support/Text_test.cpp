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

}  // namespace
}  // namespace quaylight
