// Remembered socket owners: which scans walk which processes, and what the readers give.
#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <set>
#include <thread>

#include "ProcessCoreKit/platform/ListeningSocketOwners.h"
#include "ProcessCoreKit/platform/ListeningSocketTable.h"

namespace quaylight {
namespace {

// A machine of processes holding sockets by inode; each socket listens on port inode + 1000.
struct Machine {
    std::set<std::uint64_t> listening;
    std::map<std::int32_t, std::vector<std::uint64_t>> held;
    std::vector<std::int32_t> walked;

    std::shared_ptr<const ListeningSocketTable> table() const {
        auto table = std::make_shared<ListeningSocketTable>();
        for (auto inode : listening)
            table->add(inode, RawListeningSocket{int(inode) + 1000, AddressFamily::ipv4, "127.0.0.1"});
        return table;
    }

    // One scan of every process; the ports each reports.
    std::map<std::int32_t, std::vector<int>> scan(ListeningSocketOwners& owners) {
        walked.clear();
        auto reader = owners.beginScan(table(), [this](std::int32_t pid) {
            walked.push_back(pid);
            auto it = held.find(pid);
            return it == held.end() ? std::vector<std::uint64_t>{} : it->second;
        });
        std::map<std::int32_t, std::vector<int>> ports;
        for (const auto& [pid, inodes] : held)
            for (const auto& socket : reader(pid)) ports[pid].push_back(socket.port);
        return ports;
    }
};

using Ports = std::map<std::int32_t, std::vector<int>>;
using PIDs = std::vector<std::int32_t>;

TEST(ListeningSocketOwners, AProcessSeenBeforeIsWalkedAgainOnlyWhenTheSetOfSocketsChangesOrEveryFewScans) {
    ListeningSocketOwners owners(4);
    Machine m;
    m.listening = {1, 2};
    m.held = {{10, {1, 2}}, {11, {}}, {12, {7}}};  // 12 holds a socket that does not listen

    // The first scan walks everyone; the next ones nobody, and answer what was walked.
    EXPECT_EQ(m.scan(owners), (Ports{{10, {1001, 1002}}}));
    EXPECT_EQ(m.walked, (PIDs{10, 11, 12}));
    EXPECT_EQ(m.scan(owners), (Ports{{10, {1001, 1002}}}));
    EXPECT_EQ(m.walked, PIDs{});

    // A forked worker inherits socket 2: a new PID, walked; the others are not.
    m.held[13] = {2};
    EXPECT_EQ(m.scan(owners), (Ports{{10, {1001, 1002}}, {13, {1002}}}));
    EXPECT_EQ(m.walked, PIDs{13});

    // 10 closes its copy of 2, which 13 keeps: the set stays the same, and 10 is seen to
    // hold it until the fourth scan after the full walk walks everyone again.
    m.held[10] = {1};
    EXPECT_EQ(m.scan(owners), (Ports{{10, {1001, 1002}}, {13, {1002}}}));
    EXPECT_EQ(m.walked, PIDs{});
    EXPECT_EQ(m.scan(owners), (Ports{{10, {1001}}, {13, {1002}}}));
    EXPECT_EQ(m.walked, (PIDs{10, 11, 12, 13}));

    // A new listening socket changes the set: everyone is walked.
    m.scan(owners);
    m.listening.insert(3);
    m.held[11] = {3};
    EXPECT_EQ(m.scan(owners), (Ports{{10, {1001}}, {11, {1003}}, {13, {1002}}}));
    EXPECT_EQ(m.walked, (PIDs{10, 11, 12, 13}));

    // A closed one too: 10's socket 1 is gone, and nothing reports it.
    m.listening.erase(1);
    m.held[10] = {};
    EXPECT_EQ(m.scan(owners), (Ports{{11, {1003}}, {13, {1002}}}));
    EXPECT_EQ(m.walked, (PIDs{10, 11, 12, 13}));
}

TEST(ListeningSocketOwners, AProcessMissingFromAScanIsForgottenAndWalkedWhenItComesBack) {
    ListeningSocketOwners owners(100);
    Machine m;
    m.listening = {1};
    m.held = {{10, {1}}, {11, {}}};
    m.scan(owners);
    m.held.erase(11);
    m.scan(owners);
    EXPECT_EQ(m.walked, PIDs{});
    m.held[11] = {};  // the same PID, another process
    m.scan(owners);
    EXPECT_EQ(m.walked, PIDs{11});
}

TEST(ListeningSocketOwners, EveryScanWalksEveryoneWhenAFullWalkIsAskedEachTime) {
    ListeningSocketOwners owners(1);
    Machine m;
    m.listening = {1};
    m.held = {{10, {1}}, {11, {}}};
    for (int i = 0; i < 3; ++i) {
        m.scan(owners);
        EXPECT_EQ(m.walked, (PIDs{10, 11}));
    }
}

TEST(ListeningSocketOwners, OneScansReaderServesSeveralThreadsAtOnce) {
    ListeningSocketOwners owners(10);
    auto table = std::make_shared<ListeningSocketTable>();
    table->add(5, RawListeningSocket{8080, AddressFamily::ipv4, "127.0.0.1"});
    std::atomic<int> walks{0};
    auto walk = [&](std::int32_t pid) {
        ++walks;
        return pid % 7 == 0 ? std::vector<std::uint64_t>{5} : std::vector<std::uint64_t>{};
    };
    for (int scan = 0; scan < 2; ++scan) {
        auto reader = owners.beginScan(table, walk);
        std::atomic<int> found{0};
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t)
            threads.emplace_back([&, t] {
                for (int pid = 1 + t; pid <= 2000; pid += 4) found += int(reader(pid).size());
            });
        for (auto& thread : threads) thread.join();
        EXPECT_EQ(found, 2000 / 7);
    }
    EXPECT_EQ(walks, 2000);  // the second scan walked nobody
}

}  // namespace
}  // namespace quaylight
