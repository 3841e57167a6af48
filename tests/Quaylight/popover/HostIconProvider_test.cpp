// The live host icon provider: every host kind has theme names to ask, and a host whose
// process is gone (or was replaced under its pid) gets no icon.

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

TEST(HostIconProvider, NoIconForAHostThatIsNotRunning) {
    auto own = Libproc::live().identity(static_cast<std::int32_t>(getpid()));
    ASSERT_TRUE(own);
    auto replaced = *own;
    replaced.startTimeSeconds += 1;  // the same pid, another process
    ThemeHostIconProvider icons;
    EXPECT_EQ(icons.icon({HostAppKind::vscode, "VS Code", replaced}), std::nullopt);
    EXPECT_EQ(icons.icon({HostAppKind::vscode, "VS Code", ProcessIdentity{0, 0, 0}}), std::nullopt);
    // The running one is asked of the theme; whatever it answers, the answer is stable.
    const AgentHostDescriptor running{HostAppKind::terminal, "Terminal", *own};
    const auto first = icons.icon(running);
    const auto second = icons.icon(running);
    EXPECT_EQ(first.has_value(), second.has_value());
}

}  // namespace
}  // namespace quaylight
