#include <gtest/gtest.h>

#include "ProcessCoreKit/platform/Libproc.h"

namespace quaylight {
namespace {

std::string statLine(const std::string& name, const std::string& rest = "S 1 100 100 0 -1 4194560 500 0 0 0 "
                                                                        "250 150 0 0 20 0 1 0 4321 1000000 512") {
    return "1234 (" + name + ") " + rest + " 0 0 0\n";
}

TEST(ParseStatLine, NamesEndAtTheLastParenthesis) {
    const char* names[] = {"a", "node", "sd-pam)", "(sd-pam)", "with space", "a) S 1 2 (b", "fifteen-chars-x", ""};
    for (const char* name : names) {
        auto fields = parseStatLine(statLine(name));
        ASSERT_TRUE(fields) << name;
        EXPECT_EQ(fields->commandName, name);
        EXPECT_EQ(fields->pid, 1234);
        EXPECT_EQ(fields->state, 'S');
        EXPECT_EQ(fields->parentPID, 1);
        EXPECT_EQ(fields->userTicks, 250u);
        EXPECT_EQ(fields->systemTicks, 150u);
        EXPECT_EQ(fields->startTicks, 4321u);
        EXPECT_EQ(fields->residentPages, 512u);
    }
}

TEST(ParseStatLine, RejectsBrokenLines) {
    const char* broken[] = {
        "",
        "1234 node S 1",
        "1234 (node S 1 2 3",
        "abc (node) S 1 100 100 0 -1 4194560 500 0 0 0 250 150 0 0 20 0 1 0 4321 1000000 512",
        "1234 (node) S 1 100 100 0 -1 4194560 500 0 0 0 250 150 0 0 20 0 1 0",  // cut before starttime
        "1234 (node) S x 100 100 0 -1 4194560 500 0 0 0 250 150 0 0 20 0 1 0 4321 1000000 512",
    };
    for (const char* line : broken) EXPECT_FALSE(parseStatLine(line)) << line;
}

TEST(ParseStatLine, NegativeResidentSizeCountsAsZero) {
    auto fields = parseStatLine("9 (x) Z 1 0 0 0 -1 0 0 0 0 0 0 0 0 0 20 0 1 0 77 0 -1\n");
    ASSERT_TRUE(fields);
    EXPECT_EQ(fields->residentPages, 0u);
    EXPECT_EQ(fields->state, 'Z');
}

TEST(ParseCmdline, SplitsAtZeroBytesAndRepairsText) {
    using Args = std::vector<std::string>;
    struct Case {
        std::string bytes;
        std::optional<Args> expected;
    };
    const Case cases[] = {
        {std::string("node\0server.js\0", 15), Args{"node", "server.js"}},
        {std::string("a\0\0b\0", 5), Args{"a", "", "b"}},
        {"nginx: master process /usr/sbin/nginx", Args{"nginx: master process /usr/sbin/nginx"}},
        {std::string("bad\xff\0", 5), Args{"bad\xEF\xBF\xBD"}},
        {"", std::nullopt},
        // A rewritten title followed by the zeroed rest of the old argument area.
        {std::string("next-server (v14.2.3)") + std::string(70, '\0'), Args{"next-server (v14.2.3)"}},
        {std::string("title\0\0\0", 8), Args{"title"}},
        {std::string("a\0\0b\0\0\0\0", 8), Args{"a", "", "b"}},
        // One empty argument at the end may be real: `prog ""`.
        {std::string("prog\0\0", 6), Args{"prog", ""}},
    };
    for (const auto& c : cases) EXPECT_EQ(parseCmdline(c.bytes), c.expected);
}

TEST(ParseBootTime, FindsTheBtimeLine) {
    EXPECT_EQ(parseBootTime("cpu  1 2 3\nintr 5\nbtime 1733812345\nprocesses 9\n"), 1733812345u);
    EXPECT_FALSE(parseBootTime("cpu 1 2 3\n"));
    EXPECT_FALSE(parseBootTime("btime x\n"));
}

TEST(Nanoseconds, ConvertsAndSaturates) {
    EXPECT_EQ(nanoseconds(3, {125, 3}), 125u);
    EXPECT_EQ(nanoseconds(3, {1, 1}), 3u);
    EXPECT_EQ(nanoseconds(3, {0, 0}), 3u);
    EXPECT_EQ(nanoseconds(250, {1'000'000'000, 100}), 2'500'000'000u);
    EXPECT_EQ(nanoseconds(~0ULL, {1'000'000'000, 100}), ~0ULL);
}

}  // namespace
}  // namespace quaylight
