#include "Quaylight/popover/model/AgentRowTexts.h"

#include <fmt/format.h>

#include <algorithm>

#include "ProcessCoreKit/support/Text.h"
#include "Quaylight/agent-inventory/list/AgentInventoryListModel.h"
#include "QuaylightKit/list/DisplayLabels.h"

namespace quaylight {

namespace {

std::int64_t wholeSecondsBetween(WallTime earlier, WallTime later) {
    // Toward zero, as a duration cast does: a start 1.5 s ahead is -1, not -2.
    return std::chrono::duration_cast<std::chrono::seconds>(later - earlier).count();
}

std::string counted(std::int64_t count, std::string_view unit) {
    return fmt::format("{} {}{}", count, unit, count == 1 ? "" : "s");
}

std::string evidenceText(AgentEvidence evidence) {
    switch (evidence) {
        case AgentEvidence::process: return "Process detected";
        case AgentEvidence::providerHook: return "Provider event";
        case AgentEvidence::processAndProviderHook: return "Provider event + local process";
    }
    return {};
}

bool hasExactRelatedPorts(const AgentSessionSnapshot& session) {
    return session.portRelationship == PortRelationshipConfidence::exact && !session.relatedListenerIDs.empty();
}

}  // namespace

std::string agentStateLabel(AgentSessionState state) {
    return std::string(AgentInventoryListModel::stateLabel(state));
}

std::string agentLocationText(const AgentExecutionLocation& location) {
    switch (location.kind) {
        case AgentExecutionLocation::Kind::remote: return location.providerLabel.value_or("Remote");
        case AgentExecutionLocation::Kind::local: return "Local";
        case AgentExecutionLocation::Kind::unknown: break;
    }
    return "Location unknown";
}

std::string agentStateExplanation(const AgentSessionSnapshot& session) {
    if (session.stateDetail) return *session.stateDetail;
    bool hookOnly = session.evidence == AgentEvidence::providerHook;
    switch (session.state) {
        case AgentSessionState::needsAttention: return "The agent is blocked on your input or approval.";
        case AgentSessionState::working: return "The agent reported or showed active work.";
        case AgentSessionState::waiting:
            return hookOnly ? "The session is open — the provider reported the last turn completed."
                            : "The agent is running and recently idle.";
        case AgentSessionState::detected:
            return hookOnly ? "A provider session was reported. No local agent process has been confirmed."
                            : "A local agent process is running. Quaylight can't yet tell working from waiting for it.";
        case AgentSessionState::recentlyFinished: return "This session ended a moment ago.";
    }
    return {};
}

std::string agentElapsedText(const std::optional<WallTime>& startedAt, WallTime now) {
    if (!startedAt) return "—";
    return UptimeDisplay::label(wholeSecondsBetween(*startedAt, now));
}

std::string spokenAge(WallTime since, WallTime now) {
    // Read out of the shown label itself, so that the row never says another age than it
    // shows: "6s" is "6 seconds", "3h 7m" is "3 hours 7 minutes".
    std::string spoken;
    std::int64_t count = 0;
    for (const char c : agentElapsedText(since, now)) {
        if (c >= '0' && c <= '9') {
            count = count * 10 + (c - '0');
            continue;
        }
        if (c == ' ') continue;
        const std::string_view unit = c == 's' ? "second" : c == 'm' ? "minute" : c == 'h' ? "hour" : "day";
        spoken += (spoken.empty() ? "" : " ") + counted(count, unit);
        count = 0;
    }
    return spoken;
}

std::string agentAccessibilitySummary(const AgentSessionSnapshot& session, WallTime now) {
    std::vector<std::string> parts;
    parts.push_back(std::string(shortDisplayName(session.provider)));
    parts.push_back(asciiLowercased(agentStateLabel(session.state)));
    parts.push_back(session.controlSurface ? session.controlSurface->displayName : "unknown app");
    if (session.projectName) parts.push_back(*session.projectName);
    if (session.processIdentity) parts.push_back(fmt::format("PID {}", session.processIdentity->process.pid));
    parts.push_back(asciiLowercased(agentLocationText(session.executionLocation)));
    if (session.startedAt) parts.push_back(spokenAge(*session.startedAt, now));
    if (session.portRelationship == PortRelationshipConfidence::exact)
        parts.push_back(counted(static_cast<std::int64_t>(session.relatedListenerIDs.size()), "related port"));
    return fmt::format("{}", fmt::join(parts, ", "));
}

std::optional<WallTime> nextAgentRowTextChange(const AgentSessionSnapshot& session, WallTime now) {
    if (!session.startedAt) return std::nullopt;
    const auto start = *session.startedAt;
    const auto age = now - start;
    // A start still ahead reads "0s" until it is a second old.
    if (age < Microseconds::zero()) return start + std::chrono::seconds(1);
    const Microseconds step = age < std::chrono::minutes(1) ? Microseconds(std::chrono::seconds(1))
                                                            : Microseconds(std::chrono::minutes(1));
    return start + (age / step + 1) * step;
}

std::vector<std::int64_t> sortedRelatedPorts(const AgentSessionSnapshot& session) {
    std::vector<std::int64_t> ports;
    for (const auto& identity : session.relatedListenerIDs) ports.push_back(identity.port);
    std::sort(ports.begin(), ports.end());
    ports.erase(std::unique(ports.begin(), ports.end()), ports.end());
    return ports;
}

AgentStopAvailability rowStopAvailability(const AgentSessionSnapshot& session,
                                          const std::map<std::string, AgentStopAvailability>& byID) {
    if (session.state == AgentSessionState::recentlyFinished) return AgentStopAvailability::finished;
    auto found = byID.find(session.rowKey());
    return found == byID.end() ? AgentStopAvailability::noLocalProcess : found->second;
}

AgentRowTexts agentRowTexts(const AgentSessionSnapshot& session, const AgentRowContext& context) {
    AgentRowTexts texts;
    texts.rowKey = session.rowKey();
    texts.provider = session.provider;
    texts.state = session.state;
    texts.isExpanded = context.isExpanded;

    texts.providerName = std::string(shortDisplayName(session.provider));
    texts.hasProject = session.projectName.has_value();
    texts.title = session.projectName.value_or("Project unknown");
    bool exact = session.portRelationship == PortRelationshipConfidence::exact;
    if (exact)
        texts.relatedPortsText =
            counted(static_cast<std::int64_t>(session.relatedListenerIDs.size()), "port");
    texts.location = agentLocationText(session.executionLocation);
    texts.elapsed = agentElapsedText(session.startedAt, context.now);
    texts.accessibilitySummary = agentAccessibilitySummary(session, context.now);
    texts.accessibilityHint = context.isExpanded ? "Collapses details" : "Expands details";

    texts.evidenceFact = evidenceText(session.evidence);
    texts.hostFact = session.controlSurface ? session.controlSurface->displayName : "Unknown app";
    if (session.processIdentity) texts.pidFact = fmt::format("PID {}", session.processIdentity->process.pid);
    texts.stateExplanation = agentStateExplanation(session);
    switch (session.portRelationship) {
        case PortRelationshipConfidence::exact:
            if (!session.relatedListenerIDs.empty()) {
                texts.relatedCaption = "Related local listeners";
                for (auto port : sortedRelatedPorts(session)) texts.relatedPortCells.push_back(std::to_string(port));
            }
            break;
        case PortRelationshipConfidence::noneObserved: texts.relatedNote = "No related local listeners detected"; break;
        case PortRelationshipConfidence::unavailable: texts.relatedNote = "Exact port relationship unavailable"; break;
    }

    if (context.focusLabel)
        texts.focusAccessibleName = "Focus App — " + *context.focusLabel;
    else if (session.controlSurface)
        texts.hostNotRunningNote = session.controlSurface->displayName + " isn’t running.";
    if (hasExactRelatedPorts(session)) {
        texts.portsAction = AgentRowTexts::PortsAction::related;
        texts.portsButtonTitle = "View related ports";
    } else {
        texts.portsAction = AgentRowTexts::PortsAction::provider;
        texts.portsButtonTitle = "View " + texts.providerName + " ports";
    }
    // A finished row never offers Stop, whatever availability it was handed: its process
    // may already back a new live session under the same id.
    bool finished = session.state == AgentSessionState::recentlyFinished;
    if (session.processIdentity && !finished && context.stopAvailability == AgentStopAvailability::available)
        texts.stopAccessibleName =
            fmt::format("Stop {} agent, PID {}", texts.providerName, session.processIdentity->process.pid);
    switch (context.stopAvailability) {
        case AgentStopAvailability::noLocalProcess:
            texts.stopNote = "Stop unavailable — no local agent process to signal.";
            break;
        case AgentStopAvailability::sharedProcess:
            texts.stopNote = "Stop unavailable — this process backs multiple agent sessions.";
            break;
        case AgentStopAvailability::available:
        case AgentStopAvailability::finished: break;
    }
    return texts;
}

}  // namespace quaylight
