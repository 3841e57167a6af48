#include "QuaylightKit/list/ListenerSearch.h"

#include <gtest/gtest.h>

#include "tests/QuaylightKit/Listeners.h"

namespace quaylight {
namespace {

// A next.js server of Claude Code in a VS Code terminal, in the project "Shop".
PortListener nextServer() {
    auto l = testsupport::makeListener(42, 3000, "/home/me/.nvm/versions/node/v22/bin/node");
    l.process.edit().name = "next-server";
    l.process.edit().argv = std::vector<std::string>{"node", "/home/me/Shop/node_modules/.bin/next", "dev", "--port=3000"};
    l.classification.runtime = Runtime::node;
    l.classification.framework = Framework::next;
    l.classification.label = "Next.js";
    l.agentOrigin = AgentKind::claude;
    l.host = AgentHost{HostAppKind::claudeDesktop};
    l.project = ListenerProject{"Shop", "/home/me/Shop"};
    return l;
}

PortListener redis() {
    auto l = testsupport::makeListener(7, 6379, "/opt/Redis/bin/redis-server");
    l.classification.service = KnownService::redis;
    l.classification.label = "Redis";
    return l;
}

TEST(ListenerSearch, HaystackInOrder) {
    EXPECT_EQ(ListenerSearch::haystack(nextServer()),
              (std::vector<std::string>{"3000", "node", "next.js", "node", "next.js", "next-server",
                                        "/home/me/.nvm/versions/node/v22/bin/node",
                                        "node /home/me/shop/node_modules/.bin/next dev --port=3000", "claude",
                                        "claude code", "claudeDesktop", "claude desktop", "shop", "/home/me/shop"}));
}

struct SearchCase {
    const char* query;
    bool matchesNext;
    bool matchesRedis;
};

TEST(ListenerSearch, TrimmedLowercasedQueryMatchesAnyOfTheRowsTexts) {
    const std::vector<SearchCase> cases{
        {"", true, true},
        {"  \t\n ", true, true},
        {"  NEXT \n", true, false},  // trimmed and lowercased
        {"3000", true, false},       // the port, the arguments
        {"6379", false, true},
        {"redis", false, true},  // the service and the path
        {"REDIS-SERVER", false, true},
        {"claude code", true, false},     // the agent's display name
        {"claudedesktop", false, false},  // the host's raw value stays as stored
        {"claudeDesktop", false, false},  // ...and the query is lowercased first
        {"claude desktop", true, false},
        {"shop", true, false},
        {"next dev", true, false},  // one contiguous piece of the arguments
        {"dev next", false, false},
        {"codex", false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ListenerSearch::matches(nextServer(), c.query), c.matchesNext) << '"' << c.query << '"';
        EXPECT_EQ(ListenerSearch::matches(redis(), c.query), c.matchesRedis) << '"' << c.query << '"';
    }
}

TEST(ListenerSearch, APathOrArgumentHoldingThePortMatchesToo) {
    auto l = testsupport::makeListener(9, 8080, "/srv/app3000/bin/server");
    EXPECT_TRUE(ListenerSearch::matches(l, "3000"));
    EXPECT_FALSE(ListenerSearch::matches(testsupport::makeListener(9, 8080), "3000"));
}

}  // namespace
}  // namespace quaylight
