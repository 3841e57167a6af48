#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ProcessCoreKit/records/ProcessIdentity.h"

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

}  // namespace quaylight
