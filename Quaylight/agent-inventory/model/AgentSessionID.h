#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <variant>

#include "ProcessCoreKit/records/AgentKind.h"
#include "ProcessCoreKit/records/AgentProcessIdentity.h"

namespace quaylight {

// A session an agent's hooks report, keyed on the agent's own session identifier, kept
// whole (equality compares the full text, not its hash).
struct AgentProviderSession {
    AgentKind provider = AgentKind::codex;
    std::string sessionID;
    friend bool operator==(const AgentProviderSession&, const AgentProviderSession&) = default;
};

// Which agent session a row stands for: one reported by hooks, or one known only from its
// agent process.
struct AgentSessionID {
    using ProviderSession = AgentProviderSession;

    std::variant<ProviderSession, AgentProcessIdentity> value;

    static AgentSessionID provider(AgentKind provider, std::string sessionID) {
        return {ProviderSession{provider, std::move(sessionID)}};
    }
    static AgentSessionID process(const AgentProcessIdentity& identity) { return {identity}; }

    const ProviderSession* providerSession() const { return std::get_if<ProviderSession>(&value); }
    const AgentProcessIdentity* processIdentity() const { return std::get_if<AgentProcessIdentity>(&value); }

    // "hook:<provider>:<16 hex digits>" or the process's "agent:..." id: the text key of
    // the session wherever one is needed, and the order of the published sessions.
    std::string stableID() const;

    // 64-bit FNV-1a over the UTF-8 bytes, as 16 lowercase hexadecimal digits.
    static std::string shortHash(std::string_view text);

    friend bool operator==(const AgentSessionID&, const AgentSessionID&) = default;
};

}  // namespace quaylight

template <>
struct std::hash<quaylight::AgentSessionID> {
    std::size_t operator()(const quaylight::AgentSessionID& id) const noexcept {
        if (const auto* session = id.providerSession())
            return quaylight::hashCombine(std::hash<std::string>{}(session->sessionID),
                                          static_cast<std::size_t>(session->provider));
        return quaylight::hashCombine(std::hash<quaylight::AgentProcessIdentity>{}(*id.processIdentity()), 0x5eed);
    }
};
