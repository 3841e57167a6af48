#include "Quaylight/popover/model/ListenerRowTexts.h"

#include <chrono>
#include <limits>

#include "ProcessCoreKit/support/Text.h"
#include "QuaylightKit/list/DisplayLabels.h"

namespace quaylight {

std::optional<std::string> classificationDisplayLabel(const PortListener& listener) {
    const auto& c = listener.classification;
    if (c.confidence == Confidence::unknown) return std::nullopt;
    std::string candidate;
    if (c.framework) candidate = displayName(*c.framework);
    else if (c.service) candidate = displayName(*c.service);
    else if (c.runtime) candidate = displayName(*c.runtime);
    else candidate = c.label;
    std::string trimmed(trimmedASCIIWhitespace(candidate));
    if (trimmed.empty()) return std::nullopt;
    if (asciiLowercased(trimmed) == asciiLowercased(listener.process->displayName())) return std::nullopt;
    return trimmed;
}

std::string processContext(const PortListener& listener) {
    const auto& c = listener.classification;
    if (c.framework) return std::string(displayName(*c.framework));
    if (c.service) return std::string(displayName(*c.service));
    if (c.runtime) return std::string(displayName(*c.runtime));
    if (listener.project) return listener.project->name;
    return "local listener";
}

std::string processTitle(const PortListener& listener) {
    auto name = listener.process->displayName();
    if (listener.workerPoolSize >= 2) name += " ×" + std::to_string(listener.workerPoolSize);
    return name;
}

std::string uptimeLabel(std::uint64_t startSeconds, WallTime now) {
    const std::int64_t nowSeconds =
        std::chrono::duration_cast<std::chrono::seconds>(now.time_since_epoch()).count();
    // Signed arithmetic throughout: a start in the future reads as no time at all.
    if (startSeconds > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
        return UptimeDisplay::label(std::int64_t{0});
    const auto start = static_cast<std::int64_t>(startSeconds);
    const std::int64_t elapsed = nowSeconds >= start ? nowSeconds - start : 0;
    return UptimeDisplay::label(elapsed);
}

BindBadgeTexts bindBadgeTexts(BindScope scope) {
    switch (scope) {
        case BindScope::loopbackOnly: return {"localhost", "Reachable from this computer only."};
        case BindScope::allInterfaces:
            return {"All Interfaces",
                    "Bound on every interface; other devices on your network may be able to reach it."};
        case BindScope::specificInterface:
            return {"interface", "Bound to a specific interface; other devices may be able to reach it."};
        case BindScope::mixed:
            return {"mixed", "Uses loopback and non-loopback addresses; other devices may be able to reach it."};
        case BindScope::unknown: break;
    }
    return {"unknown", "Quaylight could not determine this listener's bind scope."};
}

std::string activityAccessibleName(ActivityLevel level) {
    switch (level) {
        case ActivityLevel::low: return "Low activity";
        case ActivityLevel::medium: return "Medium activity";
        case ActivityLevel::high: return "High activity";
        case ActivityLevel::unknown: break;
    }
    return "Activity unknown";
}

std::string confidenceWord(Confidence confidence) {
    switch (confidence) {
        case Confidence::high: return "high";
        case Confidence::medium: return "medium";
        default: return "low";
    }
}

namespace {

std::string powerWord(ActivityLevel level) {
    switch (level) {
        case ActivityLevel::low: return "Low";
        case ActivityLevel::medium: return "Medium";
        case ActivityLevel::high: return "High";
        case ActivityLevel::unknown: break;
    }
    return {};
}

std::vector<std::string> rowTooltipLines(const PortListener& listener, const std::optional<std::string>& label) {
    std::vector<std::string> lines{"PID " + std::to_string(listener.process->identity.pid)};
    if (auto url = listener.openableURL()) lines.push_back(*url);
    if (label) lines.push_back("Detected: " + *label);
    if (listener.host) lines.push_back("Launched from: " + std::string(displayName(listener.host->kind)));
    if (listener.project) lines.push_back("Project: " + listener.project->name);
    return lines;
}

}  // namespace

ListenerRowTexts listenerRowTexts(const PortListener& listener, ActivityLevel activity,
                                  std::optional<double> cpuPercent, const RowVisibleFields& fields,
                                  DisplaySettings::RowDensity density, WallTime now) {
    using Kind = ListenerRowTexts::VitalKind;
    ListenerRowTexts t;
    t.id = listener.id();
    if (fields.port) t.port = std::to_string(listener.port);
    t.title = processTitle(listener);
    t.pidText = "PID " + std::to_string(listener.process->identity.pid);
    t.context = processContext(listener);
    t.hasVitalsLine = fields.host || fields.project || fields.uptime || fields.cpu || fields.memory || fields.power;
    if (fields.host && listener.host) t.vitals.push_back({Kind::host, std::string(displayName(listener.host->kind))});
    if (fields.project && listener.project) t.vitals.push_back({Kind::project, listener.project->name});
    if (fields.uptime)
        t.vitals.push_back({Kind::uptime, uptimeLabel(listener.process->identity.startTimeSeconds, now)});
    if (fields.cpu && cpuPercent) t.vitals.push_back({Kind::cpu, CPUDisplay::label(*cpuPercent)});
    if (fields.memory && listener.process->residentMemoryBytes)
        t.vitals.push_back({Kind::memory, MemoryDisplay::label(*listener.process->residentMemoryBytes)});
    if (fields.power && activity != ActivityLevel::unknown)
        t.vitals.push_back({Kind::power, fields.powerLabels ? powerWord(activity) : std::string()});
    if (fields.path && listener.process->executablePath) t.path = *listener.process->executablePath;
    t.activity = activity;
    t.isSystem = listener.visibility == VisibilityClass::hiddenSystemBackground;
    t.classificationLabel = classificationDisplayLabel(listener);
    t.confidence = listener.classification.confidence;
    t.agent = listener.agentOrigin;
    t.bindScope = listener.bindScope;
    t.bind = bindBadgeTexts(listener.bindScope);
    t.tooltipLines = rowTooltipLines(listener, t.classificationLabel);
    t.actionsAccessibleName =
        "Actions for " + listener.process->displayName() + " on port " + std::to_string(listener.port);
    t.density = density;
    return t;
}

}  // namespace quaylight
