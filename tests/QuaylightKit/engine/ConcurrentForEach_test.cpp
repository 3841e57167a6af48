#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <vector>

#include <gtest/gtest.h>

#include "QuaylightKit/engine/ConcurrentForEach.h"

namespace quaylight {
namespace {

TEST(ConcurrentForEach, VisitsEveryIndexOnceAndRethrows) {
    for (unsigned threads : {1u, 4u}) {
        auto forEach = threadedForEach(threads, 1);
        std::vector<std::atomic<int>> visits(500);
        forEach(visits.size(), [&](std::size_t i) { ++visits[i]; });
        EXPECT_TRUE(std::all_of(visits.begin(), visits.end(), [](const auto& v) { return v == 1; })) << threads;
        EXPECT_THROW(forEach(100, [](std::size_t i) {
            if (i == 42) throw std::runtime_error("boom");
        }),
                     std::runtime_error);
    }
}

// Visits 64 indices with four threads while the address space has room for one more
// thread stack only, so the second helper cannot start. Exits 0 when every index was
// visited once.
[[noreturn]] void visitWithRoomForOneHelper() {
    pthread_attr_t attributes;
    std::size_t stack = 0;
    if (pthread_getattr_default_np(&attributes) != 0 || pthread_attr_getstacksize(&attributes, &stack) != 0)
        std::_Exit(2);
    auto forEach = threadedForEach(4, 1);
    std::vector<std::atomic<int>> visits(64);
    std::size_t pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    rlimit limit{};
    limit.rlim_cur = pages * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE)) + stack + stack / 2;
    limit.rlim_max = RLIM_INFINITY;
    if (::setrlimit(RLIMIT_AS, &limit) != 0) std::_Exit(2);
    forEach(visits.size(), [&](std::size_t i) { ++visits[i]; });
    std::_Exit(std::all_of(visits.begin(), visits.end(), [](const auto& v) { return v == 1; }) ? 0 : 1);
}

TEST(ConcurrentForEachDeathTest, AHelperThatCannotStartLeavesItsShareToTheOthers) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(visitWithRoomForOneHelper(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace quaylight
