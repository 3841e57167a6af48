#include "Quaylight/popover/model/AgentBodyDecisions.h"

namespace quaylight {

std::optional<std::string> toggledExpansion(const std::optional<std::string>& expanded, const std::string& rowKey) {
    if (expanded == rowKey) return std::nullopt;
    return rowKey;
}

std::optional<ExactAgentPortScope> relatedPortsScope(const AgentSessionSnapshot& session) {
    if (session.portRelationship != PortRelationshipConfidence::exact || !session.processIdentity) return std::nullopt;
    return ExactAgentPortScope{*session.processIdentity, session.provider};
}

}  // namespace quaylight
