#pragma once
// JSON coding of ProcessSnapshot, apart from the record so that only the code that codes it parses the JSON library.

#include <nlohmann/json.hpp>

#include "ProcessCoreKit/records/ProcessSnapshot.h"
#include "ProcessCoreKit/support/JsonCoding.h"
#include "ProcessCoreKit/records/ProcessIdentityCoding.h"

namespace quaylight {

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
