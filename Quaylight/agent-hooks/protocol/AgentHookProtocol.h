#pragma once
// The one wire format between the hook relay and the application's socket server: one
// small JSON envelope per connection. It carries who sent it, what happened and in which
// session; never prompts, responses or tool payloads.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "ProcessCoreKit/records/AgentKind.h"
#include "ProcessCoreKit/support/RawEnum.h"

namespace quaylight {

struct AgentHookProtocol {
    static constexpr std::int64_t protocolVersion = 1;
    static constexpr std::size_t maxEnvelopeBytes = 4096;
    static constexpr std::size_t maxSessionIDBytes = 256;

    enum class EventKind {
        sessionStart,
        promptSubmitted,
        permissionRequested,
        needsInputNotification,
        idleNotification,
        turnEnded,
        turnFailed,
        sessionEnded,
        connectionTest,
    };

    struct Envelope {
        std::int64_t protocolVersion = AgentHookProtocol::protocolVersion;
        AgentKind provider = AgentKind::claude;
        EventKind event = EventKind::sessionStart;
        std::string sessionID;
        std::optional<std::string> projectName;
        std::int32_t parentPID = 0;

        friend bool operator==(const Envelope&, const Envelope&) = default;
    };

    // The only members ever read from the JSON an agent writes to a hook's standard input.
    struct AllowlistedProviderFields {
        std::optional<std::string> session_id;
        std::optional<std::string> cwd;
        std::optional<std::string> hook_event_name;
        std::optional<std::string> notification_type;

        friend bool operator==(const AllowlistedProviderFields&, const AllowlistedProviderFields&) = default;
    };

    // The envelope's compact JSON, or no value when it would exceed maxEnvelopeBytes.
    static std::optional<std::string> encode(const Envelope& envelope);

    // The envelope in the bytes of one connection, or no value: oversized, not JSON, a
    // missing or mistyped member, an unknown provider or event, another version, or a
    // session id that is empty or longer than maxSessionIDBytes.
    static std::optional<Envelope> decodeEnvelope(std::string_view bytes);

    // Reads the four allowlisted members of a hook input without keeping anything else.
    // No value when the input is not a JSON object or one of the four is neither a string
    // nor null.
    static std::optional<AllowlistedProviderFields> decodeProviderFields(std::string_view bytes);

    // The event kind an agent's hook event stands for, or no value for events Quaylight
    // does not track. Names compare exactly.
    static std::optional<EventKind> mapEvent(const std::optional<std::string>& hookEventName,
                                             const std::optional<std::string>& notificationType);
};

template <>
struct RawValues<AgentHookProtocol::EventKind> {
    using E = AgentHookProtocol::EventKind;
    static constexpr std::array<std::pair<E, std::string_view>, 9> table{{
        {E::sessionStart, "sessionStart"},
        {E::promptSubmitted, "promptSubmitted"},
        {E::permissionRequested, "permissionRequested"},
        {E::needsInputNotification, "needsInputNotification"},
        {E::idleNotification, "idleNotification"},
        {E::turnEnded, "turnEnded"},
        {E::turnFailed, "turnFailed"},
        {E::sessionEnded, "sessionEnded"},
        {E::connectionTest, "connectionTest"},
    }};
};

}  // namespace quaylight
