#include <gtest/gtest.h>

#include "QuaylightKit/listener/PortListenerCoding.h"
#include "QuaylightKit/listener/ScanResult.h"
#include "tests/QuaylightKit/Snapshots.h"

namespace quaylight {
namespace {

PortListener listener(std::int32_t pid, std::int64_t port, VisibilityClass visibility = VisibilityClass::defaultVisible) {
    PortListener l;
    l.process = testsupport::makeProcess(pid, "/usr/bin/node", 1, 501, 900);
    l.process.edit().identity.startTimeMicroseconds = 5;
    l.port = port;
    l.endpoints = {{"127.0.0.1", AddressFamily::ipv4, port}, {"::1", AddressFamily::ipv6, port}};
    l.bindScope = BindScope::loopbackOnly;
    l.bindSignature = BindSignature::make(l.endpoints);
    l.identity = ListenerIdentity{l.process->identity, PortProtocol::tcp, port, l.bindSignature, false, std::nullopt};
    l.visibility = visibility;
    return l;
}

TEST(ListenerIdentity, StableIDs) {
    EXPECT_EQ(listener(42, 3000).id(), "proc:42:900.5:TCP:3000:0");
    ListenerIdentity pool{{7, 800, 0}, PortProtocol::tcp, 8080, BindSignature::make({{"0.0.0.0", AddressFamily::ipv4, 8080}}),
                          true, "/usr/local/bin/node"};
    EXPECT_EQ(pool.stableID(), "pool:7:800.0:TCP:8080:1:/usr/local/bin/node");
    auto proc = pool;
    proc.isPool = false;
    EXPECT_EQ(proc.stableID(), "proc:7:800.0:TCP:8080:1:/usr/local/bin/node");
    ListenerIdentity bare{{7, 800, 0}, PortProtocol::tcp, 1, {}, false, std::nullopt};
    EXPECT_EQ(bare.stableID(), "proc:7:800.0:TCP:1:");
    ListenerIdentity mixed{{7, 800, 0}, PortProtocol::tcp, 1,
                           BindSignature::make({{"fe80::1", AddressFamily::ipv6, 1}, {"::1", AddressFamily::ipv6, 1}}), false,
                           std::nullopt};
    EXPECT_EQ(mixed.stableID(), "proc:7:800.0:TCP:1:0,2:fe80::1");
}

TEST(PortListener, WorkerPoolAndURL) {
    auto l = listener(42, 5173);
    EXPECT_FALSE(l.isWorkerPool());
    l.workerPoolSize = 2;
    EXPECT_TRUE(l.isWorkerPool());
    EXPECT_EQ(l.openableURL(), "http://localhost:5173");
}

TEST(PortListener, CodedFormHasTwelveKeysWithoutOptionalsAndRoundTrips) {
    auto l = listener(42, 3000);
    nlohmann::ordered_json j = l;
    std::vector<std::string> keys;
    for (const auto& [key, value] : j.items()) keys.push_back(key);
    EXPECT_EQ(keys, (std::vector<std::string>{"identity", "port", "proto", "state", "endpoints", "bindScope",
                                              "bindSignature", "process", "workerPoolSize", "visibility",
                                              "classification", "isInQuaylightSubtree"}));
    EXPECT_EQ(j["proto"], "TCP");
    EXPECT_EQ(j["state"], "LISTEN");
    EXPECT_FALSE(j["identity"].contains("executablePath"));
    EXPECT_EQ(j.get<PortListener>(), l);

    l.parentIdentity = ProcessIdentity{1, 2, 3};
    l.agentOrigin = AgentKind::claude;
    l.agentProcess = AgentProcessIdentity{{9, 8, 7}, AgentKind::claude};
    l.host = AgentHost{HostAppKind::ghostty};
    l.project = ListenerProject{"site", "/w/site"};
    l.focusTarget = FocusTarget{5, "ghostty"};
    l.identity.executablePath = "/usr/bin/node";
    nlohmann::json full = l;
    EXPECT_EQ(full.size(), 18u);
    EXPECT_EQ(full["agentOrigin"], "claude");
    EXPECT_EQ(full["host"].dump(), R"({"kind":"ghostty"})");
    EXPECT_EQ(full.get<PortListener>(), l);

    // An optional member written as null reads as absent; an unknown raw value fails.
    full["host"] = nullptr;
    EXPECT_FALSE(full.get<PortListener>().host);
    full["visibility"] = "sometimes";
    EXPECT_ANY_THROW(full.get<PortListener>());
}

TEST(ScanResult, SplitsByVisibilityInScanOrder) {
    ScanResult result;
    result.listeners = {listener(1, 10, VisibilityClass::hiddenSystemBackground), listener(2, 20),
                        listener(3, 30, VisibilityClass::unavailable), listener(4, 40),
                        listener(5, 50, VisibilityClass::hiddenSystemBackground)};
    auto pids = [](const std::vector<PortListener>& list) {
        std::vector<std::int32_t> out;
        for (const auto& l : list) out.push_back(l.process->identity.pid);
        return out;
    };
    EXPECT_EQ(pids(result.visible()), (std::vector<std::int32_t>{2, 4}));
    EXPECT_EQ(pids(result.hidden()), (std::vector<std::int32_t>{1, 5}));
    EXPECT_EQ(result.hiddenCount(), 2);
    EXPECT_EQ(result.visibleCount(), 2);

    ScanResult unavailableOnly;
    unavailableOnly.listeners = {listener(3, 30, VisibilityClass::unavailable)};
    EXPECT_TRUE(unavailableOnly.visible().empty());
    EXPECT_TRUE(unavailableOnly.hidden().empty());
    EXPECT_EQ(unavailableOnly.hiddenCount(), 0);
}

TEST(AgentProcessPresence, ProviderDefaultsToTheAgentsOwnKind) {
    AgentProcessIdentity codex{{10, 1, 0}, AgentKind::codex};
    AgentProcessPresence own(codex, std::nullopt, std::nullopt, std::nullopt, WallTime{});
    EXPECT_EQ(own.kind(), AgentKind::codex);
    EXPECT_FALSE(own.focusTarget());
    AgentProcessPresence moved(codex, AgentKind::claude, std::nullopt, "api", WallTime{});
    AgentProcessPresenceSnapshot snapshot{{own, moved}};
    EXPECT_EQ(snapshot.count(AgentKind::claude), 1);
    EXPECT_EQ(snapshot.codexCount(), 1);
    EXPECT_EQ(snapshot.totalCount(), 2);
    EXPECT_EQ(AgentProcessPresenceSnapshot::empty().totalCount(), 0);
}

}  // namespace
}  // namespace quaylight
