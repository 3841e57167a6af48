// The open panel's engine on the live machine: it remembers socket owners from scan to
// scan, and each scan still lists exactly what listens now.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "QuaylightKit/engine/PortEngine.h"
#include "tests/QuaylightKit/terminator/OwnChildren.h"

namespace quaylight {
namespace {

using namespace testsupport;

using PortsByPID = std::map<std::int32_t, std::set<std::int64_t>>;

// The ports of the given processes, as one scan lists them.
PortsByPID scanPorts(const PortEngine& engine, const std::set<std::int32_t>& pids) {
    PortsByPID ports;
    for (const auto& listener : engine.scan(false).listeners) {
        const auto pid = listener.process->identity.pid;
        if (pids.contains(pid)) ports[pid].insert(listener.port);
    }
    return ports;
}

TEST(RepeatedScansLive, EachScanListsWhatListensNowWhileOwnersAreRemembered) {
    auto dependencies = PortEngineDependencies::liveForRepeatedScans();
    dependencies.currentPID = [] { return kNobodysPID; };  // this process's children are not "ours"
    const PortEngine engine(std::move(dependencies));

    auto first = spawnOwnChild({"--listen", "127.0.0.1"});
    const std::int64_t firstPort = first.ports.at(0);
    EXPECT_EQ(scanPorts(engine, {first.pid()}), (PortsByPID{{first.pid(), {firstPort}}}));
    // Nothing changed: the owner is remembered, and still listed.
    EXPECT_EQ(scanPorts(engine, {first.pid()}), (PortsByPID{{first.pid(), {firstPort}}}));

    std::int32_t secondPID = 0;
    {
        auto second = spawnOwnChild({"--listen", "127.0.0.1", "--listen", "127.0.0.1"});
        secondPID = second.pid();
        EXPECT_EQ(scanPorts(engine, {first.pid(), secondPID}),
                  (PortsByPID{{first.pid(), {firstPort}},
                              {secondPID, {std::int64_t(second.ports.at(0)), std::int64_t(second.ports.at(1))}}}));
        EXPECT_EQ(scanPorts(engine, {first.pid(), secondPID}).size(), 2u);
    }
    // The second process is gone, its sockets with it.
    EXPECT_EQ(scanPorts(engine, {first.pid(), secondPID}), (PortsByPID{{first.pid(), {firstPort}}}));
}

}  // namespace
}  // namespace quaylight
