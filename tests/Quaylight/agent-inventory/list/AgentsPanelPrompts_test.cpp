#include <gtest/gtest.h>

#include "Quaylight/agent-inventory/list/AgentsPanelPrompts.h"

namespace quaylight {
namespace {

using Status = AgentProviderConnectionStatus;
using Prompt = AgentsConnectionPrompt;
using Variant = AgentsEmptyStateVariant;

AgentProviderConnection connection(AgentKind provider, Status status, bool enabled = true) {
    return {provider, std::move(status), enabled};
}

TEST(AgentsEmptyStateVariant, Resolve) {
    auto enabled = std::vector{connection(AgentKind::codex, Status::connected(std::nullopt))};
    auto disabled = std::vector{connection(AgentKind::codex, Status::of(Status::Kind::notConfigured), false),
                                connection(AgentKind::claude, Status::of(Status::Kind::notConfigured), false)};
    EXPECT_EQ(Variant::resolve({}, std::nullopt), (Variant{Variant::Kind::noConnections, {}}));
    EXPECT_EQ(Variant::resolve(disabled, "The socket is gone."), (Variant{Variant::Kind::noConnections, {}}));
    EXPECT_EQ(Variant::resolve(enabled, std::nullopt), (Variant{Variant::Kind::connected, {}}));
    EXPECT_EQ(Variant::resolve(enabled, "The socket is gone."),
              (Variant{Variant::Kind::receiverFailed, "The socket is gone."}));
}

TEST(AgentsConnectionPrompt, OneProvider) {
    struct Case {
        Status status;
        std::optional<Prompt::Kind> prompt;
    };
    for (const auto& [status, prompt] : std::vector<Case>{
             {Status::of(Status::Kind::notConfigured), Prompt::Kind::connect},
             {Status::of(Status::Kind::configuredAwaitingTrust), Prompt::Kind::approveHooks},
             {Status::of(Status::Kind::configuredAwaitingFirstEvent), Prompt::Kind::awaitingFirstEvent},
             {Status::repairNeeded("The hook entry changed."), Prompt::Kind::reviewConnection},
             {Status::unavailable("No settings folder."), Prompt::Kind::reviewConnection},
             {Status::connected(std::nullopt), std::nullopt},
         }) {
        auto resolved = Prompt::resolve(AgentKind::claude, {connection(AgentKind::claude, status)});
        EXPECT_EQ(resolved, prompt ? std::optional(Prompt{*prompt, AgentKind::claude}) : std::nullopt)
            << static_cast<int>(status.kind);
    }
    EXPECT_EQ(Prompt::resolve(AgentKind::claude, {connection(AgentKind::codex, Status::of(Status::Kind::notConfigured))}),
              std::nullopt);
}

TEST(AgentsConnectionPrompt, CodexComesFirst) {
    EXPECT_EQ(Prompt::resolve({connection(AgentKind::codex, Status::connected(std::nullopt)),
                               connection(AgentKind::claude, Status::of(Status::Kind::notConfigured))}),
              (Prompt{Prompt::Kind::connect, AgentKind::claude}));
    EXPECT_EQ(Prompt::resolve({connection(AgentKind::claude, Status::of(Status::Kind::notConfigured)),
                               connection(AgentKind::codex, Status::repairNeeded("x"))}),
              (Prompt{Prompt::Kind::reviewConnection, AgentKind::codex}));
    EXPECT_EQ(Prompt::resolve({connection(AgentKind::codex, Status::connected(std::nullopt))}), std::nullopt);
    EXPECT_EQ(Prompt::resolve({}), std::nullopt);
}

}  // namespace
}  // namespace quaylight
