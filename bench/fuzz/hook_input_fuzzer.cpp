// libFuzzer target for the two parsers that read bytes from outside: the envelope decoder
// (any local process of the user may connect to the hook socket) and the reader of an
// agent's hook JSON. Besides not crashing, a decoded envelope must encode and decode back
// to itself.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "Quaylight/agent-hooks/protocol/AgentHookProtocol.h"

using quaylight::AgentHookProtocol;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);

    if (auto envelope = AgentHookProtocol::decodeEnvelope(bytes)) {
        auto encoded = AgentHookProtocol::encode(*envelope);
        if (!encoded || AgentHookProtocol::decodeEnvelope(*encoded) != envelope) std::abort();
    }

    if (auto fields = AgentHookProtocol::decodeProviderFields(bytes)) {
        auto event = AgentHookProtocol::mapEvent(fields->hook_event_name, fields->notification_type);
        if (event == AgentHookProtocol::EventKind::connectionTest) std::abort();  // only the test mode makes one
    }
    return 0;
}
