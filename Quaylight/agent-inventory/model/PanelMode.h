#pragma once

#include "ProcessCoreKit/support/RawEnum.h"

namespace quaylight {

// The Agents panel's provider filter.
enum class AgentProviderFilter { all, codex, claude };

template <>
struct RawValues<AgentProviderFilter> {
    static constexpr std::array<std::pair<AgentProviderFilter, std::string_view>, 3> table{{
        {AgentProviderFilter::all, "all"},
        {AgentProviderFilter::codex, "codex"},
        {AgentProviderFilter::claude, "claude"},
    }};
};

// The popover's two modes.
enum class PanelMode { ports, agents };

template <>
struct RawValues<PanelMode> {
    static constexpr std::array<std::pair<PanelMode, std::string_view>, 2> table{{
        {PanelMode::ports, "ports"},
        {PanelMode::agents, "agents"},
    }};
};

}  // namespace quaylight
