// The live host icon provider: every host kind has theme names to ask, and the answer goes
// by the kind alone; whether the host still runs comes with the inventory snapshot, so the
// provider looks at no process.

#include <gtest/gtest.h>
#include <unistd.h>

#include "ProcessCoreKit/platform/Libproc.h"
#include "Quaylight/popover/agents/HostIconProvider.h"

namespace quaylight {
namespace {

TEST(HostIconProvider, EveryKindHasThemeNames) {
    for (const auto& [kind, raw] : RawValues<HostAppKind>::table)
        EXPECT_FALSE(hostDesktopIconNames(kind).empty()) << raw;
}

TEST(HostIconProvider, AnswersByKindWithoutLookingAtTheProcess) {
    auto own = Libproc::live().identity(static_cast<std::int32_t>(getpid()));
    ASSERT_TRUE(own);
    auto replaced = *own;
    replaced.startTimeSeconds += 1;  // the same pid, another process
    ThemeHostIconProvider icons;
    const auto running = icons.icon({HostAppKind::terminal, "Terminal", *own});
    for (const auto& identity : {replaced, ProcessIdentity{0, 0, 0}, *own}) {
        const auto answer = icons.icon({HostAppKind::terminal, "Terminal", identity});
        EXPECT_EQ(answer.has_value(), running.has_value());
        if (answer && running) {
            EXPECT_EQ(answer->cacheKey(), running->cacheKey());
        }
    }
}

}  // namespace
}  // namespace quaylight
