#include <gtest/gtest.h>

#include <cstdio>

#include "Quaylight/agent-hooks/config/AgentHookCommand.h"
#include "Quaylight/agent-hooks/paths/InstalledExecutable.h"
#include "tests/support/TempDir.h"

namespace quaylight {
namespace {

TEST(AgentHookCommand, OrdinaryPathGivesThePlainCommand) {
    std::string app = InstalledExecutable::path();
    EXPECT_EQ(AgentHookCommand::command("/home/ada/.local/share/Quaylight/Runtime/agent-events.sock", AgentKind::claude),
              "APP=\"" + app +
                  "\"; SOCK=\"/home/ada/.local/share/Quaylight/Runtime/agent-events.sock\"; "
                  "if [ -x \"$APP\" ] && [ -S \"$SOCK\" ]; then exec \"$APP\" agent-event --provider claude "
                  "--protocol 1; fi; exit 0");
    EXPECT_TRUE(AgentHookCommand::command("/s", AgentKind::claude, "idle_prompt")
                    .ends_with("exec \"$APP\" agent-event --provider claude --protocol 1 --hint idle_prompt; fi; exit 0"));
    EXPECT_TRUE(AgentHookCommand::command("/s", AgentKind::codex).find("--provider codex --protocol 1;") != std::string::npos);
}

TEST(AgentHookCommand, ShellSpecialCharactersInThePathAreEscaped) {
    const struct {
        const char* path;
        const char* quoted;
    } cases[] = {
        {"/home/a b/x.sock", "/home/a b/x.sock"},
        {"/home/\"q\"/x.sock", "/home/\\\"q\\\"/x.sock"},
        {"/home/$USER/x.sock", "/home/\\$USER/x.sock"},
        {"/home/`id`/x.sock", "/home/\\`id\\`/x.sock"},
        {"/home/back\\slash/x.sock", "/home/back\\\\slash/x.sock"},
        {"/home/it's/x.sock", "/home/it's/x.sock"},
    };
    for (const auto& c : cases) {
        auto command = AgentHookCommand::command(c.path, AgentKind::codex);
        EXPECT_NE(command.find(std::string("SOCK=\"") + c.quoted + "\";"), std::string::npos) << c.path;
    }
}

TEST(AgentHookCommand, TheShellReadsTheEscapedPathBackExactly) {
    testsupport::TempDir dir;
    std::string path = "/nonexistent/$HOME/`x`/\"q\"/back\\slash/it's";
    auto script = dir.write("print.sh", "SOCK=\"" + AgentHookCommand::escapedForDoubleQuotes(path) +
                                            "\"; printf %s \"$SOCK\"");
    FILE* pipe = popen(("sh " + script.string()).c_str(), "r");
    ASSERT_TRUE(pipe);
    char buffer[512] = {};
    std::size_t n = fread(buffer, 1, sizeof buffer - 1, pipe);
    pclose(pipe);
    EXPECT_EQ(std::string(buffer, n), path);
}

TEST(AgentHookCommand, OwnedSetCoversBothProvidersAllHintsAndEveryPath) {
    auto owned = AgentHookCommand::ownedCommandSet({"/a.sock", "/b.sock"});
    EXPECT_EQ(owned.size(), 5u * 3u);  // (codex + claude's four) × (two paths + the home-relative one)
    EXPECT_TRUE(owned.contains(AgentHookCommand::command("/b.sock", AgentKind::claude, "agent_needs_input")));
    std::string homeRelative = AgentHookCommand::command("/a.sock", AgentKind::codex);
    homeRelative.replace(homeRelative.find("/a.sock"), 7, AgentHookCommand::homeRelativeSocketPath);
    EXPECT_TRUE(owned.contains(homeRelative));  // "$HOME" left for the shell, not escaped
    EXPECT_FALSE(owned.contains(AgentHookCommand::command(AgentHookCommand::homeRelativeSocketPath, AgentKind::codex)));
}

}  // namespace
}  // namespace quaylight
