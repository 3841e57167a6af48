#pragma once
// Readable failure messages for the hook types.

#include <ostream>

#include "Quaylight/agent-hooks/protocol/AgentHookProtocol.h"
#include "Quaylight/agent-hooks/relay/AgentHookRelay.h"

namespace quaylight {

inline void PrintTo(const AgentHookProtocol::Envelope& e, std::ostream* os) {
    auto bytes = AgentHookProtocol::encode(e);
    *os << (bytes ? *bytes : std::string("(unencodable envelope)"));
}

inline void PrintTo(const AgentHookRelay::Invocation& i, std::ostream* os) {
    *os << "{" << rawValue(i.provider) << ", v" << i.protocolVersion << ", hint "
        << (i.notificationHint ? "\"" + *i.notificationHint + "\"" : std::string("none"))
        << (i.isConnectionTest ? ", test" : "") << "}";
}

}  // namespace quaylight
