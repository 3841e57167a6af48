#pragma once
// The popover's texts and decisions as pure functions over model values: the surface, the
// count beside the title, the notice to show, the footer line, the empty states and the
// exact-scope narrowing. Integers are plain decimal, plurals add "s" unless the count is 1.

#include <cstdint>
#include <optional>
#include <string>

#include "Quaylight/agent-inventory/model/PanelMode.h"
#include "Quaylight/popover/model/PopoverInputs.h"
#include "QuaylightKit/list/ListenerListModel.h"
#include "QuaylightKit/session/PanelScanLifecycle.h"

namespace quaylight {

using PopoverSurface = OnboardingPresentation::Surface;

// The offer until it was completed, then the tour until onboarding is complete, then the list.
PopoverSurface popoverSurface(bool launchAtLoginOfferCompleted, bool onboardingComplete);

// `word` + "s" unless `count` is 1, after the count: "1 agent", "3 agents".
std::string counted(std::int64_t count, const std::string& word);

// The listeners of `result` started by the agent process `scope` (all four parts equal);
// the result itself without a scope.
ScanResult scopedResult(const ScanResult& result, const std::optional<AgentProcessIdentity>& scope);

// The list model the ports list draws for a (scoped) result and the list settings.
ListenerListModel listModelFor(const ScanResult& scoped, const PopoverInputs& inputs);

// The listeners as the list draws them: the visible rows, then the hidden ones while
// `showSystem` is on; none unless the model has rows.
std::vector<PortListener> renderedListeners(const ListenerListModel& model, bool showSystem);

// The count beside the title; none on the first-run surfaces and while nothing is loaded.
// `scoped` and `model` are the loaded result narrowed by the exact scope and its list model.
std::optional<std::string> listenerCountText(PopoverSurface surface, PanelMode mode, std::int64_t agentSessions,
                                             const ScanResult* scoped, const ListenerListModel* model,
                                             FilterCategory filter, const std::string& searchText);

// "Ports last scanned at 3:04:05 PM" for a loaded result on the list surface.
std::optional<std::string> lastScannedText(PopoverSurface surface, const PortsState& state);

// The banner: the connection store's notice in Agents mode, else the stop notice.
struct NoticeChoice {
    enum class Source { agentConnections, stopAction };
    Source source;
    std::string text;
    friend bool operator==(const NoticeChoice&, const NoticeChoice&) = default;
};
std::optional<NoticeChoice> chooseNotice(PopoverSurface surface, bool showSettings, PanelMode mode,
                                         const std::optional<std::string>& actionNotice,
                                         const std::optional<std::string>& killNotice);

// The status line under the list.
std::string listFooterText(bool exactScope, FilterCategory filter, const AgentProcessPresenceSnapshot& agents,
                           std::int64_t hiddenCount, bool showSystem);

// The empty state's second line.
std::string emptyStateDetail(std::int64_t agentSessions);

// The agent-filter state: how many agents the filter counts, its title and its detail line.
std::int64_t agentSessionCount(FilterCategory filter, const AgentProcessPresenceSnapshot& agents);
std::string agentSessionTitle(std::int64_t count, FilterCategory filter);
std::string agentSessionDetail(std::int64_t count, FilterCategory filter);

// Whether the filter is one of the three agent chips.
bool isAgentFilter(FilterCategory filter);

// What takes the list's place, or `rows` when the list itself shows.
enum class ListBody { rows, emptyState, exactScopeEmpty, agentSessions, noMatches };
ListBody listBodyFor(const ListenerListModel& model, bool exactScope, FilterCategory filter,
                     const std::string& searchText);
// Whether the ports column draws the list body at all (else the plain empty state).
bool portsColumnShowsList(const ListenerListModel& model, const AgentProcessPresenceSnapshot& agents,
                          bool exactScope);

}  // namespace quaylight
