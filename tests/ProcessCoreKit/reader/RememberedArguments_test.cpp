// Remembered argument vectors: which scans read which process, and what they answer.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "ProcessCoreKit/reader/RememberedArguments.h"

namespace quaylight {
namespace {

using Arguments = RememberedArguments::Arguments;

struct Reads {
    int count = 0;
    std::optional<Arguments> answer = Arguments{"node", "server.js"};

    std::optional<Arguments> ask(RememberedArguments& memory, const ProcessIdentity& identity) {
        return memory.arguments(identity, [this] {
            ++count;
            return answer;
        });
    }
};

TEST(RememberedArguments, EachIdentityIsReadOnceUntilEveryFewScansOrWhenAScanDidNotAskForIt) {
    RememberedArguments memory(3);
    Reads reads;
    const ProcessIdentity server{100, 1700000000, 5};
    const ProcessIdentity reused{100, 1700000300, 0};  // the same PID, another process

    memory.beginScan();  // 1
    EXPECT_EQ(reads.ask(memory, server), (Arguments{"node", "server.js"}));
    EXPECT_EQ(reads.ask(memory, server), (Arguments{"node", "server.js"}));
    EXPECT_EQ(reads.count, 1);

    // The title changes: the next scan still answers what was read, another identity is read.
    reads.answer = Arguments{"node: worker"};
    memory.beginScan();  // 2
    EXPECT_EQ(reads.ask(memory, server), (Arguments{"node", "server.js"}));
    EXPECT_EQ(reads.ask(memory, reused), (Arguments{"node: worker"}));
    EXPECT_EQ(reads.count, 2);

    // The third scan reads everything afresh.
    memory.beginScan();  // 3
    EXPECT_EQ(reads.ask(memory, server), (Arguments{"node: worker"}));
    EXPECT_EQ(reads.count, 3);

    // A scan that does not ask for a process forgets it.
    memory.beginScan();  // 4
    memory.beginScan();  // 5
    EXPECT_EQ(reads.ask(memory, server), (Arguments{"node: worker"}));
    EXPECT_EQ(reads.count, 4);
}

TEST(RememberedArguments, AFailedReadIsTriedAgain) {
    RememberedArguments memory(10);
    Reads reads;
    reads.answer = std::nullopt;
    const ProcessIdentity identity{7, 1, 0};
    memory.beginScan();
    EXPECT_FALSE(reads.ask(memory, identity));
    memory.beginScan();
    reads.answer = Arguments{"sh"};
    EXPECT_EQ(reads.ask(memory, identity), Arguments{"sh"});
    EXPECT_EQ(reads.count, 2);
}

TEST(RememberedArguments, OneScanServesSeveralThreadsAtOnce) {
    RememberedArguments memory(10);
    std::atomic<int> reads{0};
    for (int scan = 0; scan < 2; ++scan) {
        memory.beginScan();
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t)
            threads.emplace_back([&, t] {
                for (int pid = 1 + t; pid <= 400; pid += 4) {
                    auto arguments = memory.arguments(ProcessIdentity{pid, 1, 0}, [&] {
                        ++reads;
                        return std::optional<Arguments>(Arguments{std::to_string(pid)});
                    });
                    EXPECT_EQ(arguments, Arguments{std::to_string(pid)});
                }
            });
        for (auto& thread : threads) thread.join();
    }
    EXPECT_EQ(reads, 400);  // the second scan read nothing
}

}  // namespace
}  // namespace quaylight
