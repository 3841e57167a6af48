#pragma once
// Small builders for processes and sockets in the kit's logic tests.

#include <optional>
#include <string>
#include <vector>

#include "ProcessCoreKit/records/ProcessSnapshot.h"
#include "ProcessCoreKit/records/RawListeningSocket.h"
#include "ProcessCoreKit/support/Text.h"

namespace quaylight::testing {

inline ProcessSnapshot makeProcess(std::int32_t pid, std::optional<std::string> path, std::optional<std::int32_t> parent,
                                   std::uint32_t uid = 501, std::uint64_t startSeconds = 1000,
                                   std::optional<std::vector<std::string>> argv = std::nullopt) {
    ProcessSnapshot s;
    s.identity = {pid, startSeconds, 0};
    s.executablePath = std::move(path);
    if (s.executablePath) s.name = pathBasename(*s.executablePath).value_or("").substr(0, 15);
    s.parentPID = parent;
    s.uid = uid;
    s.cpuReadable = true;
    s.residentMemoryBytes = 1 << 20;
    s.cpuTimeNanos = 1000;
    s.argv = std::move(argv);
    return s;
}

inline RawListeningSocket socketOn(std::string address, int port) {
    auto family = address.find(':') != std::string::npos ? AddressFamily::ipv6 : AddressFamily::ipv4;
    return RawListeningSocket{port, family, std::move(address)};
}

}  // namespace quaylight::testing
