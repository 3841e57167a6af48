#pragma once

#include <string_view>

#include "ProcessCoreKit/support/RawEnum.h"

namespace quaylight {

// The two agent providers, Codex first.
enum class AgentKind { codex, claude };

template <>
struct RawValues<AgentKind> {
    static constexpr std::array<std::pair<AgentKind, std::string_view>, 2> table{{
        {AgentKind::codex, "codex"},
        {AgentKind::claude, "claude"},
    }};
};

constexpr std::string_view displayName(AgentKind kind) {
    return kind == AgentKind::codex ? "Codex" : "Claude Code";
}

// The short word the panel's texts use: "Codex" or "Claude".
constexpr std::string_view shortDisplayName(AgentKind kind) { return kind == AgentKind::codex ? "Codex" : "Claude"; }

// Orders providers: Codex before Claude Code.
constexpr int sortOrder(AgentKind kind) { return kind == AgentKind::codex ? 0 : 1; }

}  // namespace quaylight
