#include <gtest/gtest.h>

#include "ProcessCoreKit/recognition/AgentProcessDetector.h"
#include "tests/support/Snapshots.h"

namespace quaylight {
namespace {

using testsupport::process;
using testsupport::withArgv;

struct DetectCase {
    const char* what;
    ProcessSnapshot snapshot;
    std::optional<AgentKind> expected;
};

ProcessSnapshot otherUser(ProcessSnapshot s) {
    s.sameUser = false;
    return s;
}
ProcessSnapshot named(ProcessSnapshot s, std::optional<std::string> name) {
    s.name = std::move(name);
    return s;
}
ProcessSnapshot bundled(ProcessSnapshot s, std::string bundle) {
    s.bundleIdentifier = std::move(bundle);
    return s;
}

TEST(AgentProcessDetector, DetectsByBasenameScriptAndNativeInstall) {
    const std::string native = "/home/u/.local/share/claude/versions/2.0.14";
    const DetectCase cases[] = {
        {"another user's codex", otherUser(process(1, "/usr/bin/codex")), std::nullopt},
        {"codex on PATH", process(1, "/opt/homebrew/bin/codex"), AgentKind::codex},
        {"codex inside an app bundle", process(1, "/Applications/Codex.app/Contents/Resources/codex"), std::nullopt},
        {"claude.exe of the npm package", named(process(1, "/usr/lib/node_modules/@anthropic-ai/claude-code/bin/claude.exe"), "claude"),
         AgentKind::claude},
        {"node with codex.js", withArgv(process(1, "/usr/bin/node"), {"node", "/tmp/tools/codex.js"}), std::nullopt},
        {"node with a codex script", withArgv(process(1, "/usr/bin/node"), {"node", "/usr/local/bin/codex"}), AgentKind::codex},
        {"node with a claude link", withArgv(process(1, "/usr/bin/node"), {"/usr/bin/node", "/home/u/bin/claude"}),
         AgentKind::claude},
        {"node alone", withArgv(process(1, "/usr/bin/node"), {"/usr/local/bin/node"}), std::nullopt},
        {"node under another interpreter name", withArgv(process(1, "/usr/bin/node"), {"bun", "/x/codex"}), std::nullopt},
        {"native install named by version", withArgv(named(process(1, native), "2.0.14"), {"claude"}), AgentKind::claude},
        {"native install named by its link", withArgv(named(process(1, native), "claude"), {"claude", "--resume"}),
         AgentKind::claude},
        {"native install, pre-release name", withArgv(named(process(1, native), "2.0.14-beta"), {"claude"}), std::nullopt},
        {"native install started as something else", withArgv(named(process(1, native), "2.0.14"), {"other"}),
         std::nullopt},
        {"native install, long version cut to 15 bytes",
         withArgv(named(process(1, "/h/.local/share/claude/versions/10.200.3000.40000"), "10.200.3000.400"), {"claude"}),
         AgentKind::claude},
        {"managed bundle with claude", bundled(process(1, "/x/claude"), "com.anthropic.claude-code"), AgentKind::claude},
        {"managed bundle with another name", bundled(process(1, "/x/helper"), "com.anthropic.claude-code"), std::nullopt},
        {"name only", named(process(1, std::nullopt), "codex"), AgentKind::codex},
        {"no path and no name", process(1, std::nullopt), std::nullopt},
        {"a host app named codex? no: Terminal", process(1, "/usr/bin/gnome-terminal-server"), std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(AgentProcessDetector::detect(c.snapshot), c.expected) << c.what;
}

// Codex's shared app-server daemon is the Codex executable serving every session from
// outside them: no agent session of its own. The app server an editor runs for its one
// session, and Codex without arguments, stay Codex.
TEST(AgentProcessDetector, CodexsSharedDaemonIsNoAgent) {
    const std::string daemon = "/home/u/.codex/packages/app-server-daemon/releases/0.171.0/bin/codex";
    const DetectCase cases[] = {
        {"the managed daemon",
         withArgv(process(1, daemon), {daemon, "app-server", "--listen", "unix://", "--managed-daemon"}), std::nullopt},
        {"its pid-update loop", withArgv(process(1, daemon), {daemon, "app-server", "daemon", "pid-update-loop"}),
         std::nullopt},
        {"the daemon started through the node wrapper",
         withArgv(process(1, "/usr/bin/node"), {"node", "/usr/local/bin/codex", "app-server", "--managed-daemon"}),
         std::nullopt},
        {"an editor's own app server", withArgv(process(1, "/usr/local/bin/codex"), {"codex", "app-server"}),
         AgentKind::codex},
        {"a prompt naming the daemon",
         withArgv(process(1, "/usr/local/bin/codex"), {"codex", "explain app-server --managed-daemon"}), AgentKind::codex},
        {"the terminal session", withArgv(process(1, "/usr/local/bin/codex"), {"codex"}), AgentKind::codex},
        {"arguments unread", process(1, daemon), AgentKind::codex},
        {"claude with the same words", withArgv(process(1, "/usr/local/bin/claude"), {"claude", "app-server", "daemon"}),
         AgentKind::claude},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AgentProcessDetector::detect(c.snapshot), c.expected) << c.what;
        EXPECT_EQ(AgentProcessDetector::isCodexAppServerDaemon(c.snapshot), !c.expected) << c.what;
    }
}

TEST(AgentProcessDetector, NativeInstallNeedsANumericVersion) {
    const std::string base = "/Users/u/.local/share/claude/versions/";
    struct Case {
        std::string version;
        bool expected;
    };
    const Case cases[] = {{"1.0.33", true}, {"2.0.14.1", true}, {"1.0", false}, {"1.0.33-beta", false}, {"1..2", false}};
    for (const auto& c : cases)
        EXPECT_EQ(AgentProcessDetector::isNativeInstalledClaudeCandidate(c.version, base + c.version), c.expected)
            << c.version;
    EXPECT_FALSE(AgentProcessDetector::isNativeInstalledClaudeCandidate("1.0.33", "/opt/claude/versions/1.0.33"));
    EXPECT_FALSE(AgentProcessDetector::isNativeInstalledClaudeCandidate(std::nullopt, base + "1.0.33"));
    EXPECT_FALSE(AgentProcessDetector::isNativeInstalledClaudeCandidate("1.0.33", std::nullopt));
}

TEST(AgentProviderResolver, DesktopHostsDecideTheProvider) {
    using R = AgentProviderResolver;
    EXPECT_EQ(R::resolve(AgentKind::claude, HostAppKind::chatgpt, std::nullopt), AgentKind::codex);
    EXPECT_EQ(R::resolve(AgentKind::codex, HostAppKind::claudeDesktop, std::nullopt), AgentKind::claude);
    EXPECT_EQ(R::resolve(AgentKind::codex, std::nullopt, AgentKind::claude), AgentKind::claude);
    EXPECT_EQ(R::resolve(AgentKind::codex, std::nullopt, std::nullopt), AgentKind::codex);
    EXPECT_EQ(R::resolve(AgentKind::codex, HostAppKind::terminal, AgentKind::claude), AgentKind::codex);
}

}  // namespace
}  // namespace quaylight
