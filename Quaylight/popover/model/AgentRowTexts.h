#pragma once
// Everything an agent row shows and decides, as texts and flags: built from one session
// and the list's context for it, compared with the last, so a row whose texts did not
// change is left alone. Pure: no widgets, no clock of its own.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ProcessCoreKit/support/Time.h"
#include "Quaylight/agent-inventory/model/AgentInventorySnapshot.h"
#include "Quaylight/agent-inventory/model/AgentSessionSnapshot.h"

namespace quaylight {

// What the agents list tells one row besides its session.
struct AgentRowContext {
    WallTime now{};
    bool isExpanded = false;
    // The host app that can be brought to the front; none when nothing can be focused.
    std::optional<std::string> focusLabel;
    AgentStopAvailability stopAvailability = AgentStopAvailability::noLocalProcess;
    friend bool operator==(const AgentRowContext&, const AgentRowContext&) = default;
};

// What a row reports. The list owns expansion and routes each request; the row never
// changes its session itself. Unset callbacks are skipped.
struct AgentRowActions {
    std::function<void()> onToggleExpanded;
    std::function<void()> onFocusApp;
    std::function<void()> onStopAgent;
    std::function<void()> onViewRelatedPorts;
    std::function<void()> onViewProviderPorts;
};

struct AgentRowTexts {
    enum class PortsAction { related, provider };

    std::string rowKey;
    AgentKind provider = AgentKind::codex;
    AgentSessionState state = AgentSessionState::detected;
    bool isExpanded = false;

    // The collapsed line.
    std::string providerName;  // "Codex" or "Claude"
    std::string title;         // the project, or "Project unknown"
    bool hasProject = false;
    std::optional<std::string> relatedPortsText;  // "3 ports"; exact relationship only
    std::string location;
    std::string elapsed;  // uptime label, or "—" without a start
    std::string accessibilitySummary;
    std::string accessibilityHint;  // "Collapses details" / "Expands details"

    // The detail band.
    std::string evidenceFact;
    std::string hostFact;
    std::optional<std::string> pidFact;  // "PID 4242"
    std::string stateExplanation;
    std::optional<std::string> relatedCaption;  // "Related local listeners", with cells
    std::vector<std::string> relatedPortCells;  // ascending, each port once
    std::optional<std::string> relatedNote;     // no cells: why
    std::optional<std::string> focusAccessibleName;  // present: the "Focus App" button shows
    std::optional<std::string> hostNotRunningNote;
    PortsAction portsAction = PortsAction::provider;
    std::string portsButtonTitle;
    std::optional<std::string> stopAccessibleName;  // present: the "Stop Agent" button shows
    std::optional<std::string> stopNote;

    bool showsStop() const { return stopAccessibleName.has_value(); }
    bool showsFocus() const { return focusAccessibleName.has_value(); }

    friend bool operator==(const AgentRowTexts&, const AgentRowTexts&) = default;
};

AgentRowTexts agentRowTexts(const AgentSessionSnapshot& session, const AgentRowContext& context);

// "Needs attention", "Working", "Waiting", "Detected", "Finished".
std::string agentStateLabel(AgentSessionState state);
std::string agentLocationText(const AgentExecutionLocation& location);
std::string agentStateExplanation(const AgentSessionSnapshot& session);
// The uptime label of the whole seconds from `startedAt` to `now`; "—" without a start.
std::string agentElapsedText(const std::optional<WallTime>& startedAt, WallTime now);
// The elapsed label of `since` at `now` in words: "6 seconds", "12 minutes", "3 hours 7 minutes",
// "1 day"; a start still ahead, shown "0s", is "0 seconds".
std::string spokenAge(WallTime since, WallTime now);
std::string agentAccessibilitySummary(const AgentSessionSnapshot& session, WallTime now);
// The next moment this row's elapsed label or spoken age can change: the next whole second
// of the session's age under a minute, else the next whole minute; none without a start.
// The list arms one timer for the earliest of its rows instead of redrawing every frame.
std::optional<WallTime> nextAgentRowTextChange(const AgentSessionSnapshot& session, WallTime now);
// The related listeners' ports, each once, ascending.
std::vector<std::int64_t> sortedRelatedPorts(const AgentSessionSnapshot& session);
// The stop availability of this very row (by rowKey): a finished row never borrows the
// availability of a live twin under the same id.
AgentStopAvailability rowStopAvailability(const AgentSessionSnapshot& session,
                                          const std::map<std::string, AgentStopAvailability>& byID);

}  // namespace quaylight
