#include <gtest/gtest.h>

#include <unistd.h>

#include "Quaylight/agent-hooks/paths/AgentHookPaths.h"

namespace quaylight {
namespace {

// A home whose preferred socket path is exactly `length` bytes long.
std::string homeGiving(std::size_t length) {
    std::size_t suffix = std::string("/.local/share/Quaylight/Runtime/agent-events.sock").size();
    return "/h" + std::string(length - suffix - 2, 'x');
}

TEST(AgentHookPaths, PreferredBelowHomeWhileShorterThan104Bytes) {
    auto paths = AgentHookPaths::standard("/home/ada", "/run/user/1000");
    EXPECT_EQ(paths.runtimeDirectory, "/home/ada/.local/share/Quaylight/Runtime");
    EXPECT_EQ(paths.socketPath, "/home/ada/.local/share/Quaylight/Runtime/agent-events.sock");

    EXPECT_EQ(AgentHookPaths::standard(homeGiving(103), "/t").socketPath.size(), 103u);
    auto fallback = AgentHookPaths::standard(homeGiving(104), "/run/user/1000");
    EXPECT_EQ(fallback.runtimeDirectory, "/run/user/1000/quaylight");
    EXPECT_EQ(fallback.socketPath, "/run/user/1000/quaylight/agent-events.sock");
}

TEST(AgentHookPaths, OneTrailingSlashOfTheTemporaryFolderIsDropped) {
    auto [_, a] = AgentHookPaths::candidates("/h", "/tmp/");
    auto [__, b] = AgentHookPaths::candidates("/h", "/tmp");
    EXPECT_EQ(a, b);
    EXPECT_EQ(a.runtimeDirectory, "/tmp/quaylight-" + std::to_string(geteuid()));
    EXPECT_EQ(AgentHookPaths::candidates("/h", "/tmp//").second.runtimeDirectory, "/tmp//quaylight");
}

// Without $XDG_RUNTIME_DIR a long home falls back to /tmp, where anyone could create a
// folder named "quaylight" first and receive the relay's events.
TEST(AgentHookPaths, TheFallbackInTheSharedTmpIsNamedForTheUser) {
    std::string uid = std::to_string(geteuid());
    auto paths = AgentHookPaths::standard("/h" + std::string(100, 'x'), "/tmp");
    EXPECT_EQ(paths.runtimeDirectory, "/tmp/quaylight-" + uid);
    EXPECT_EQ(paths.socketPath, "/tmp/quaylight-" + uid + "/agent-events.sock");
    EXPECT_EQ(AgentHookPaths::candidates("/h", "/run/user/1000").second.runtimeDirectory, "/run/user/1000/quaylight");
}

TEST(AgentHookPaths, TemporaryFolderFromTheRuntimeDirectoryOrTmp) {
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    std::string keep = saved ? saved : "";
    setenv("XDG_RUNTIME_DIR", "/run/user/77", 1);
    EXPECT_EQ(AgentHookPaths::userTemporaryDirectory(), "/run/user/77");
    setenv("XDG_RUNTIME_DIR", "relative", 1);
    EXPECT_EQ(AgentHookPaths::userTemporaryDirectory(), "/tmp");
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(AgentHookPaths::userTemporaryDirectory(), "/tmp");
    if (saved) setenv("XDG_RUNTIME_DIR", keep.c_str(), 1);
}

}  // namespace
}  // namespace quaylight
