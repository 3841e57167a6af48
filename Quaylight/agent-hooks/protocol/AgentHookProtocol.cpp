#include "Quaylight/agent-hooks/protocol/AgentHookProtocol.h"

#include <array>
#include <limits>

#include <nlohmann/json.hpp>

namespace quaylight {
namespace {

using Json = nlohmann::json;

// Integers only: a float or a text that looks like a number is a mistyped member.
std::optional<std::int64_t> exactInteger(const Json& value) {
    if (value.is_number_unsigned()) {
        auto u = value.get<std::uint64_t>();
        if (u > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) return std::nullopt;
        return static_cast<std::int64_t>(u);
    }
    if (value.is_number_integer()) return value.get<std::int64_t>();
    return std::nullopt;
}

template <RawEnum E>
std::optional<E> rawMember(const Json& object, const char* key) {
    auto it = object.find(key);
    if (it == object.end() || !it->is_string()) return std::nullopt;
    return fromRawValue<E>(it->get_ref<const std::string&>());
}

// Streams a hook input and keeps only the allowlisted top-level strings; everything else,
// nested values included, passes by without being stored.
class ProviderFieldsReader final : public nlohmann::json_sax<Json> {
public:
    AgentHookProtocol::AllowlistedProviderFields fields;

    bool null() override { return scalar([](std::optional<std::string>& slot) { slot.reset(); return true; }); }
    bool boolean(bool) override { return mistyped(); }
    bool number_integer(number_integer_t) override { return mistyped(); }
    bool number_unsigned(number_unsigned_t) override { return mistyped(); }
    bool number_float(number_float_t, const string_t&) override { return mistyped(); }
    bool binary(binary_t&) override { return mistyped(); }
    bool string(string_t& value) override {
        return scalar([&](std::optional<std::string>& slot) { slot = std::move(value); return true; });
    }
    bool start_object(std::size_t) override {
        if (depth_ == 0) {
            depth_ = 1;
            return true;
        }
        if (!mistyped()) return false;
        ++depth_;
        return true;
    }
    bool start_array(std::size_t) override {
        if (depth_ == 0 || !mistyped()) return false;  // the root must be an object
        ++depth_;
        return true;
    }
    bool end_object() override { return leave(); }
    bool end_array() override { return leave(); }
    bool key(string_t& name) override {
        if (depth_ == 1) pending_ = slotNamed(name);
        return true;
    }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override { return false; }

private:
    int depth_ = 0;
    std::optional<std::string>* pending_ = nullptr;

    std::optional<std::string>* slotNamed(const std::string& name) {
        if (name == "session_id") return &fields.session_id;
        if (name == "cwd") return &fields.cwd;
        if (name == "hook_event_name") return &fields.hook_event_name;
        if (name == "notification_type") return &fields.notification_type;
        return nullptr;
    }
    // A value that is not a string or null: fatal for an allowlisted member, ignored
    // elsewhere; a scalar root is not an object.
    bool mistyped() {
        if (depth_ == 0) return false;
        if (depth_ == 1 && pending_) return false;
        return true;
    }
    template <class Store>
    bool scalar(Store store) {
        if (depth_ == 0) return false;
        if (depth_ == 1 && pending_) {
            auto* slot = pending_;
            pending_ = nullptr;
            return store(*slot);
        }
        return true;
    }
    bool leave() {
        --depth_;
        pending_ = nullptr;
        return true;
    }
};

std::optional<std::uint32_t> escapedCodeUnit(std::string_view bytes, std::size_t at) {
    if (at + 6 > bytes.size() || bytes[at] != '\\' || bytes[at + 1] != 'u') return std::nullopt;
    std::uint32_t unit = 0;
    for (std::size_t i = at + 2; i < at + 6; ++i) {
        char c = bytes[i];
        int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        if (digit < 0) return std::nullopt;
        unit = unit * 16 + static_cast<std::uint32_t>(digit);
    }
    return unit;
}

bool isHighSurrogate(std::uint32_t unit) { return unit >= 0xd800 && unit <= 0xdbff; }
bool isLowSurrogate(std::uint32_t unit) { return unit >= 0xdc00 && unit <= 0xdfff; }

// The hook input with every "\u" escape of a lone surrogate turned into "\ufffd", or no
// value when it has none. Node's JSON.stringify writes a string cut between the halves of
// a pair exactly so; the parser would refuse the whole input for it.
std::optional<std::string> withLoneSurrogatesReplaced(std::string_view bytes) {
    std::string repaired;
    bool changed = false;
    std::size_t copiedUpTo = 0;
    for (std::size_t i = 0; i < bytes.size();) {
        if (bytes[i] != '\\') {
            ++i;
            continue;
        }
        auto unit = escapedCodeUnit(bytes, i);
        if (!unit) {
            i += 2;  // any other escape, "\\" included, is two characters
            continue;
        }
        if (isHighSurrogate(*unit)) {
            auto next = escapedCodeUnit(bytes, i + 6);
            if (next && isLowSurrogate(*next)) {
                i += 12;
                continue;
            }
        } else if (!isLowSurrogate(*unit)) {
            i += 6;
            continue;
        }
        repaired.append(bytes.substr(copiedUpTo, i - copiedUpTo));
        repaired += "\\ufffd";
        i += 6;
        copiedUpTo = i;
        changed = true;
    }
    if (!changed) return std::nullopt;
    repaired.append(bytes.substr(copiedUpTo));
    return repaired;
}

}  // namespace

std::optional<std::string> AgentHookProtocol::encode(const Envelope& envelope) {
    nlohmann::ordered_json j = nlohmann::ordered_json::object();
    j["v"] = envelope.protocolVersion;
    j["provider"] = std::string(rawValue(envelope.provider));
    j["event"] = std::string(rawValue(envelope.event));
    j["sessionID"] = envelope.sessionID;
    if (envelope.projectName) j["projectName"] = *envelope.projectName;
    j["parentPID"] = envelope.parentPID;
    std::string bytes;
    try {
        bytes = j.dump();  // strict: text that is not UTF-8 fails the encoding
    } catch (const nlohmann::json::exception&) {
        return std::nullopt;
    }
    if (bytes.size() > maxEnvelopeBytes) return std::nullopt;
    return bytes;
}

std::optional<AgentHookProtocol::Envelope> AgentHookProtocol::decodeEnvelope(std::string_view bytes) {
    if (bytes.size() > maxEnvelopeBytes) return std::nullopt;
    Json j = Json::parse(bytes.begin(), bytes.end(), nullptr, /*allow_exceptions=*/false);
    if (!j.is_object()) return std::nullopt;

    Envelope envelope;
    auto version = j.find("v");
    if (version == j.end()) return std::nullopt;
    auto v = exactInteger(*version);
    if (!v) return std::nullopt;
    envelope.protocolVersion = *v;

    auto provider = rawMember<AgentKind>(j, "provider");
    auto event = rawMember<EventKind>(j, "event");
    if (!provider || !event) return std::nullopt;
    envelope.provider = *provider;
    envelope.event = *event;

    auto session = j.find("sessionID");
    if (session == j.end() || !session->is_string()) return std::nullopt;
    envelope.sessionID = session->get<std::string>();

    if (auto project = j.find("projectName"); project != j.end() && !project->is_null()) {
        if (!project->is_string()) return std::nullopt;
        envelope.projectName = project->get<std::string>();
    }

    auto parent = j.find("parentPID");
    if (parent == j.end()) return std::nullopt;
    auto pid = exactInteger(*parent);
    if (!pid || *pid < std::numeric_limits<std::int32_t>::min() || *pid > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    envelope.parentPID = static_cast<std::int32_t>(*pid);

    if (envelope.protocolVersion != protocolVersion) return std::nullopt;
    if (envelope.sessionID.empty() || envelope.sessionID.size() > maxSessionIDBytes) return std::nullopt;
    return envelope;
}

std::optional<AgentHookProtocol::AllowlistedProviderFields> AgentHookProtocol::decodeProviderFields(
    std::string_view bytes) {
    ProviderFieldsReader reader;
    // Text nobody will keep must not veto the event, and a kept member keeps the rest of
    // its text: a lone surrogate reads as U+FFFD wherever it is.
    auto repaired = bytes.find("\\u") == std::string_view::npos ? std::nullopt : withLoneSurrogatesReplaced(bytes);
    std::string_view input = repaired ? std::string_view(*repaired) : bytes;
    if (!Json::sax_parse(input.begin(), input.end(), &reader)) return std::nullopt;
    return std::move(reader.fields);
}

std::optional<AgentHookProtocol::EventKind> AgentHookProtocol::mapEvent(
    const std::optional<std::string>& hookEventName, const std::optional<std::string>& notificationType) {
    if (!hookEventName) return std::nullopt;
    static constexpr std::array<std::pair<std::string_view, EventKind>, 6> byName{{
        {"SessionStart", EventKind::sessionStart},
        {"UserPromptSubmit", EventKind::promptSubmitted},
        {"PermissionRequest", EventKind::permissionRequested},
        {"Stop", EventKind::turnEnded},
        {"StopFailure", EventKind::turnFailed},
        {"SessionEnd", EventKind::sessionEnded},
    }};
    for (const auto& [name, kind] : byName)
        if (*hookEventName == name) return kind;
    if (*hookEventName != "Notification" || !notificationType) return std::nullopt;
    static constexpr std::array<std::pair<std::string_view, EventKind>, 3> byNotification{{
        {"permission_prompt", EventKind::permissionRequested},
        {"agent_needs_input", EventKind::needsInputNotification},
        {"idle_prompt", EventKind::idleNotification},
    }};
    for (const auto& [type, kind] : byNotification)
        if (*notificationType == type) return kind;
    return std::nullopt;
}

}  // namespace quaylight
