#include <gtest/gtest.h>

#include "ProcessCoreKit/safety/KnownBackgroundAppClassifier.h"
#include "ProcessCoreKit/safety/ProcessSafetyClassifier.h"
#include "ProcessCoreKit/safety/SystemClassifier.h"
#include "tests/support/Snapshots.h"

namespace quaylight {
namespace {

using testsupport::process;
using R = ProtectionReason;

TEST(ProcessSafetyClassifier, FirstMatchingRuleDecides) {
    const ProcessSafetyClassifier::Context context{4242, 501};
    auto bundled = process(10, "/opt/x");
    bundled.bundleIdentifier = "com.quaylight.app";
    auto foreign = process(11, "/usr/bin/node");
    foreign.sameUser = false;
    auto otherUid = process(12, "/usr/bin/node");
    otherUid.uid = 0;
    auto noUid = process(13, "/usr/bin/node");
    noUid.uid.reset();
    auto dashNoPath = process(14, std::nullopt);
    dashNoPath.name = "-zsh";

    struct Case {
        const char* what;
        ProcessSnapshot snapshot;
        bool system, subtree;
        std::optional<R> expected;
    };
    const Case cases[] = {
        {"itself", process(4242, "/usr/bin/kitty"), false, false, R::quaylightSelf},
        {"its bundle", bundled, false, false, R::quaylightSelf},
        {"its subtree, even a shell", process(15, "/bin/zsh"), false, true, R::quaylightSelf},
        {"another user", foreign, false, false, R::unconfirmedOwner},
        {"another uid", otherUid, false, false, R::unconfirmedOwner},
        {"no uid passes", noUid, false, false, std::nullopt},
        {"host app that is a system binary", process(16, "/usr/bin/gnome-terminal-server"), true, false, R::hostApp},
        {"login shell that is a system binary", process(17, "/bin/zsh"), true, false, R::loginShell},
        {"fish anywhere", process(18, "/opt/homebrew/bin/fish"), false, false, R::loginShell},
        {"dash", process(19, "/usr/bin/dash"), false, false, R::loginShell},
        {"-zsh without a path", dashNoPath, false, false, std::nullopt},
        {"system binary", process(20, "/usr/sbin/sshd"), true, false, R::appleSystemProcess},
        {"Finder in place", process(21, "/System/Library/CoreServices/Finder.app/Contents/MacOS/Finder"), false, false,
         R::appleSystemProcess},
        {"the user's own Dock", process(22, "/home/u/Dock"), false, false, std::nullopt},
        {"the user's service manager", process(23, "/usr/lib/systemd/systemd"), false, false, R::appleSystemProcess},
        {"gnome-shell", process(24, "/usr/bin/gnome-shell"), false, false, R::appleSystemProcess},
        {"a node server", process(25, "/usr/bin/node"), false, false, std::nullopt},
    };
    for (const auto& c : cases) {
        auto result = ProcessSafetyClassifier::classify(c.snapshot, c.system, c.subtree, context);
        EXPECT_EQ(result.protection, c.expected) << c.what;
        EXPECT_EQ(result.isActionable(), !c.expected.has_value()) << c.what;
    }
}

TEST(SystemClassifier, OnlyRootOwnedFilesInSystemLocationsCount) {
    int statCalls = 0;
    SystemClassifier::FileFacts rootOwned{true, 0, 0755};
    SystemClassifier classifier([&](const std::string& path) -> std::optional<SystemClassifier::FileFacts> {
        ++statCalls;
        if (path == "/usr/sbin/writable") return SystemClassifier::FileFacts{true, 0, 0777};
        if (path == "/usr/libexec/users") return SystemClassifier::FileFacts{true, 1000, 0755};
        if (path == "/usr/lib/systemd/gone") return std::nullopt;
        return rootOwned;
    });
    struct Case {
        std::optional<std::string> path;
        bool expected;
    };
    const Case cases[] = {
        {std::nullopt, false},
        {"/usr/local/bin/node", false},
        {"/usr/bin/python3", false},
        {"/bin/bash", false},
        {"/usr/lib/jvm/java-17/bin/java", false},
        {"/usr/lib/jvm/x/libexec/y", false},
        {"/Applications/Foo.app/Contents/MacOS/Foo", false},
        {"/usr/sbin/sshd", true},
        {"/sbin/dhclient", true},
        {"/usr/libexec/colord", true},
        {"/usr/lib/systemd/systemd-resolved", true},
        {"/lib/systemd/systemd-logind", true},
        {"/usr/lib/x86_64-linux-gnu/libexec/kf5/kioslave", true},
        {"/usr/lib/postgresql/15/bin/postgres", false},
        {"/usr/sbin/writable", false},
        {"/usr/libexec/users", false},
        {"/usr/lib/systemd/gone", false},
    };
    for (const auto& c : cases) EXPECT_EQ(classifier.isStrongSystemBackground(c.path), c.expected) << c.path.value_or("");
    int before = statCalls;
    EXPECT_TRUE(classifier.isStrongSystemBackground(std::string("/usr/sbin/sshd")));
    EXPECT_EQ(statCalls, before);  // answered from the cache
}

TEST(KnownBackgroundAppClassifier, MatchesBundlesAndPathFragmentsIgnoringCase) {
    auto raycast = process(1, "/x");
    raycast.bundleIdentifier = "COM.RAYCAST.MACOS";
    EXPECT_TRUE(KnownBackgroundAppClassifier::isKnownBackground(raycast));
    EXPECT_TRUE(KnownBackgroundAppClassifier::isKnownBackground(
        process(2, "/Applications/Google Drive.app/Contents/MacOS/Google Drive")));
    EXPECT_FALSE(KnownBackgroundAppClassifier::isKnownBackground(process(3, "/usr/bin/node")));
    EXPECT_FALSE(KnownBackgroundAppClassifier::isKnownBackground(process(4, std::nullopt)));
}

}  // namespace
}  // namespace quaylight
