// The application runs in a launcher that `quaylight` starts; it still reports the command
// it was started as, and only a command that owns the launcher counts.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <climits>

#include "Quaylight/agent-hooks/paths/InstalledExecutable.h"

namespace quaylight {
namespace {

TEST(InstalledExecutable, LauncherIsLookedForBesideTheCommandThenInLibQuaylight) {
    EXPECT_EQ(InstalledExecutable::launcherCandidates("/usr/local/bin/quaylight"),
              (std::vector<std::string>{"/usr/local/bin/quaylight-application",
                                        "/usr/local/lib/quaylight/quaylight-application"}));
    EXPECT_EQ(InstalledExecutable::launcherCandidates("/opt/q/build/quaylight"),
              (std::vector<std::string>{"/opt/q/build/quaylight-application",
                                        "/opt/q/lib/quaylight/quaylight-application"}));
}

TEST(InstalledExecutable, RunningCommandIsTheLaunchersCommandOnlyWhenItOwnsTheLauncher) {
    struct Case {
        std::optional<std::string> own;
        const char* variable;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {"/usr/local/bin/quaylight", nullptr, "/usr/local/bin/quaylight"},
        {"/usr/local/lib/quaylight/quaylight-application", "/usr/local/bin/quaylight", "/usr/local/bin/quaylight"},
        {"/home/me/build/quaylight-application", "/home/me/build/quaylight", "/home/me/build/quaylight"},
        // Another command's variable, or a process that is no launcher, keeps its own path.
        {"/home/me/build/quaylight-application", "/usr/local/bin/quaylight", "/home/me/build/quaylight-application"},
        {"/usr/bin/python3", "/usr/local/bin/quaylight", "/usr/bin/python3"},
        {"/usr/local/lib/quaylight/quaylight-application", "bin/quaylight",
         "/usr/local/lib/quaylight/quaylight-application"},
        {"/usr/local/lib/quaylight/quaylight-application", "", "/usr/local/lib/quaylight/quaylight-application"},
        {std::nullopt, "/usr/local/bin/quaylight", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(InstalledExecutable::runningCommand(c.own, c.variable), c.expected)
            << c.own.value_or("(none)") << " with " << (c.variable ? c.variable : "(unset)");
}

TEST(InstalledExecutable, RunningPathOfAProcessThatIsNoLauncherIsItsOwnExecutable) {
    char target[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", target, sizeof target);
    ASSERT_GT(n, 0);
    setenv(InstalledExecutable::commandVariable, InstalledExecutable::path().c_str(), 1);
    const auto running = InstalledExecutable::runningPath();
    unsetenv(InstalledExecutable::commandVariable);
    EXPECT_EQ(running, std::string(target, static_cast<std::size_t>(n)));
}

}  // namespace
}  // namespace quaylight
