#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "ProcessCoreKit/records/ProcessIdentity.h"
#include "ProcessCoreKit/support/JsonCoding.h"

namespace quaylight {

// One process as read at one moment. Which fields are filled depends on the reader
// variant; a field it does not read stays absent (or false for the two flags).
struct ProcessSnapshot {
    ProcessIdentity identity;
    std::optional<std::string> name;  // the kernel's short command name
    std::optional<std::string> executablePath;
    std::optional<std::int32_t> parentPID;
    std::optional<std::uint32_t> uid;
    bool sameUser = false;
    bool cpuReadable = false;
    std::optional<std::uint64_t> residentMemoryBytes;
    std::optional<std::uint64_t> cpuTimeNanos;
    std::optional<std::vector<std::string>> argv;
    std::optional<std::string> bundleIdentifier;

    friend bool operator==(const ProcessSnapshot&, const ProcessSnapshot&) = default;

    // The executable's basename, else the command name, else "pid N".
    std::string displayName() const;
};

template <class BasicJson>
void to_json(BasicJson& j, const ProcessSnapshot& s) {
    using json_coding::putIfPresent;
    j = BasicJson::object();
    j["identity"] = s.identity;
    putIfPresent(j, "name", s.name);
    putIfPresent(j, "executablePath", s.executablePath);
    putIfPresent(j, "parentPID", s.parentPID);
    putIfPresent(j, "uid", s.uid);
    j["sameUser"] = s.sameUser;
    j["cpuReadable"] = s.cpuReadable;
    putIfPresent(j, "residentMemoryBytes", s.residentMemoryBytes);
    putIfPresent(j, "cpuTimeNanos", s.cpuTimeNanos);
    putIfPresent(j, "argv", s.argv);
    putIfPresent(j, "bundleIdentifier", s.bundleIdentifier);
}

template <class BasicJson>
void from_json(const BasicJson& j, ProcessSnapshot& s) {
    using json_coding::getIfPresent;
    j.at("identity").get_to(s.identity);
    s.name = getIfPresent<std::string>(j, "name");
    s.executablePath = getIfPresent<std::string>(j, "executablePath");
    s.parentPID = getIfPresent<std::int32_t>(j, "parentPID");
    s.uid = getIfPresent<std::uint32_t>(j, "uid");
    j.at("sameUser").get_to(s.sameUser);
    j.at("cpuReadable").get_to(s.cpuReadable);
    s.residentMemoryBytes = getIfPresent<std::uint64_t>(j, "residentMemoryBytes");
    s.cpuTimeNanos = getIfPresent<std::uint64_t>(j, "cpuTimeNanos");
    s.argv = getIfPresent<std::vector<std::string>>(j, "argv");
    s.bundleIdentifier = getIfPresent<std::string>(j, "bundleIdentifier");
}

}  // namespace quaylight
