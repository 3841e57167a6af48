#pragma once
// What the screen-top indicator is asked to show: per provider, the live sessions, whether
// one of them works, and the completions to celebrate in this presentation.

#include <map>
#include <string>
#include <string_view>

#include "ProcessCoreKit/records/AgentKind.h"

namespace quaylight {

struct AgentInventorySnapshot;

struct NotchIslandAgentState {
    int count = 0;          // live sessions of one provider
    bool isWorking = false;  // at least one of them is working
    int finishedCount = 0;  // completions to celebrate in this presentation

    bool hasContent() const { return count >= 1 || finishedCount >= 1; }

    // "2 Claude Code sessions", "1 Codex session ended; 2 sessions remaining".
    std::string accessibilityDescription(std::string_view agentName) const;

    friend bool operator==(const NotchIslandAgentState&, const NotchIslandAgentState&) = default;
};

struct NotchIslandPresentation {
    NotchIslandAgentState codex;
    NotchIslandAgentState claude;

    static NotchIslandPresentation empty() { return {}; }
    bool hasContent() const { return codex.hasContent() || claude.hasContent(); }
    // The same counts without the completions: what stays once the celebration is over.
    NotchIslandPresentation withoutCompletions() const;

    friend bool operator==(const NotchIslandPresentation&, const NotchIslandPresentation&) = default;
};

enum class NotchIslandDisposition { hidden, island, menuBarFallback };

struct TidewatchAccessibilityOptions {
    bool reduceMotion = false;
    bool increaseContrast = false;
    bool reduceTransparency = false;
    bool differentiateWithoutColor = false;
    friend bool operator==(const TidewatchAccessibilityOptions&, const TidewatchAccessibilityOptions&) = default;
};

// The presentation of one inventory publication: per provider the ambient sessions (needing
// attention, working or waiting), working when one of them needs attention or works, and
// the completions counted since the last presentation (never below 0).
NotchIslandPresentation islandPresentation(const AgentInventorySnapshot& snapshot,
                                           const std::map<AgentKind, int>& pendingCompletions);

}  // namespace quaylight
