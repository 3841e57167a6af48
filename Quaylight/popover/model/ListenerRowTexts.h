#pragma once
// Everything a listener row shows, as texts and flags: built once per frame per row and
// compared with the last, so that a row whose texts did not change is left alone.

#include <optional>
#include <string>
#include <vector>

#include "ProcessCoreKit/activity/ActivityEstimator.h"
#include "ProcessCoreKit/support/Time.h"
#include "Quaylight/popover/model/PopoverInputs.h"
#include "QuaylightKit/listener/PortListener.h"

namespace quaylight {

// The short name of what the listener was recognised as; none when unknown, blank, or the
// process's own name in other letter case.
std::optional<std::string> classificationDisplayLabel(const PortListener& listener);

// The subtitle's context: framework, service, runtime, project, else "local listener".
std::string processContext(const PortListener& listener);

// The display name, with " ×n" for a pool of two or more.
std::string processTitle(const PortListener& listener);

// The uptime label of a process started at `startSeconds`; a start after `now` reads "0s".
std::string uptimeLabel(std::uint64_t startSeconds, WallTime now);

struct BindBadgeTexts {
    std::string word;
    std::string tooltip;
    friend bool operator==(const BindBadgeTexts&, const BindBadgeTexts&) = default;
};
BindBadgeTexts bindBadgeTexts(BindScope scope);

std::string activityAccessibleName(ActivityLevel level);
std::string confidenceWord(Confidence confidence);

struct ListenerRowTexts {
    enum class VitalKind { host, project, uptime, cpu, memory, power };
    struct Vital {
        VitalKind kind;
        std::string text;  // empty for a power item without its word
        friend bool operator==(const Vital&, const Vital&) = default;
    };

    std::string id;
    std::optional<std::string> port;  // the pill, when shown
    std::string title;
    std::string pidText;
    std::string context;
    bool hasVitalsLine = false;
    std::vector<Vital> vitals;
    std::optional<std::string> path;
    ActivityLevel activity = ActivityLevel::unknown;
    bool isSystem = false;
    std::optional<std::string> classificationLabel;
    Confidence confidence = Confidence::unknown;
    std::optional<AgentKind> agent;
    BindScope bindScope = BindScope::unknown;
    BindBadgeTexts bind;
    std::vector<std::string> tooltipLines;  // shown joined with line feeds
    std::string actionsAccessibleName;
    DisplaySettings::RowDensity density = DisplaySettings::RowDensity::comfortable;

    friend bool operator==(const ListenerRowTexts&, const ListenerRowTexts&) = default;
};

ListenerRowTexts listenerRowTexts(const PortListener& listener, ActivityLevel activity,
                                  std::optional<double> cpuPercent, const RowVisibleFields& fields,
                                  DisplaySettings::RowDensity density, WallTime now);

}  // namespace quaylight
