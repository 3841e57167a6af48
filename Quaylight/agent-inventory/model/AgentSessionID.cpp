#include "Quaylight/agent-inventory/model/AgentSessionID.h"

#include <cstdint>

#include <fmt/format.h>

namespace quaylight {

std::string AgentSessionID::stableID() const {
    if (const auto* session = providerSession())
        return fmt::format("hook:{}:{}", rawValue(session->provider), shortHash(session->sessionID));
    return processIdentity()->stableID();
}

std::string AgentSessionID::shortHash(std::string_view text) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (unsigned char byte : text) {
        hash ^= byte;
        hash *= 0x100000001b3ULL;
    }
    return fmt::format("{:016x}", hash);
}

}  // namespace quaylight
