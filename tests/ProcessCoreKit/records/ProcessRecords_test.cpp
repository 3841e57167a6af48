#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "ProcessCoreKit/records/AgentProcessIdentity.h"
#include "ProcessCoreKit/records/AgentProcessIdentityCoding.h"
#include "ProcessCoreKit/records/HostAppKind.h"
#include "ProcessCoreKit/records/ProcessSnapshot.h"
#include "ProcessCoreKit/records/ProcessSnapshotCoding.h"
#include "ProcessCoreKit/records/RawListeningSocket.h"
#include "ProcessCoreKit/support/JsonCoding.h"

namespace quaylight {
namespace {

TEST(ProcessSnapshot, DisplayNamePrefersPathBasenameThenNameThenPid) {
    struct Case {
        std::optional<std::string> path, name;
        std::string expected;
    };
    const Case cases[] = {
        {"/usr/local/bin/node", "node", "node"},
        {"/Applications/Foo.app/", std::nullopt, "Foo.app"},
        {"/", "launchd", "launchd"},
        {"", "x", "x"},
        {std::nullopt, std::nullopt, "pid 77"},
        {std::nullopt, "", ""},
    };
    for (const auto& c : cases) {
        ProcessSnapshot s{.identity = {77, 1, 0}, .name = c.name, .executablePath = c.path};
        EXPECT_EQ(s.displayName(), c.expected) << c.path.value_or("<none>");
    }
}

TEST(AgentProcessIdentity, StableIDHasNoZeroFilling) {
    AgentProcessIdentity agent{{42, 900, 5}, AgentKind::codex};
    EXPECT_EQ(agent.stableID(), "agent:codex:42:900.5");
    AgentProcessIdentity claude{{7, 1, 123456}, AgentKind::claude};
    EXPECT_EQ(claude.stableID(), "agent:claude:7:1.123456");
}

TEST(ProcessSnapshot, CodingOmitsAbsentFieldsAndRequiresFlags) {
    ProcessSnapshot s{.identity = {5, 6, 7}, .name = "node", .sameUser = true};
    nlohmann::ordered_json encoded = s;
    EXPECT_EQ(encoded.dump(),
              R"({"identity":{"pid":5,"startTimeSeconds":6,"startTimeMicroseconds":7},"name":"node","sameUser":true,"cpuReadable":false})");
    EXPECT_FALSE(encoded.contains("argv"));

    auto partial = nlohmann::json::parse(
        R"({"identity":{"pid":1,"startTimeSeconds":2,"startTimeMicroseconds":3},"sameUser":false,"cpuReadable":true,"cpuTimeNanos":18446744073709551615})");
    auto decoded = json_coding::decode<ProcessSnapshot>(partial);
    ASSERT_TRUE(decoded);
    EXPECT_FALSE(decoded->name);
    EXPECT_FALSE(decoded->argv);
    EXPECT_EQ(decoded->cpuTimeNanos, 18446744073709551615ULL);

    partial.erase("sameUser");
    EXPECT_FALSE(json_coding::decode<ProcessSnapshot>(partial));
}

TEST(RawValues, ParseExactlyTheirOwnSpellings) {
    EXPECT_EQ(fromRawValue<AgentKind>("claude"), AgentKind::claude);
    EXPECT_FALSE(fromRawValue<AgentKind>("Claude"));
    EXPECT_EQ(fromRawValue<HostAppKind>("claudeDesktop"), HostAppKind::claudeDesktop);
    EXPECT_FALSE(fromRawValue<HostAppKind>("claude-desktop"));
    EXPECT_EQ(rawValue(AddressFamily::ipv6), "IPv6");
    EXPECT_EQ(allCases<HostAppKind>().size(), 10u);
    EXPECT_EQ(displayName(HostAppKind::vscode), "VS Code");
    EXPECT_LT(sortOrder(AgentKind::codex), sortOrder(AgentKind::claude));
    EXPECT_FALSE(json_coding::decode<AgentKind>(nlohmann::json("Claude")));
}

}  // namespace
}  // namespace quaylight
