#pragma once
// Processes and sockets for the kit's logic tests.

#include <optional>
#include <string>
#include <vector>

#include "ProcessCoreKit/records/ProcessSnapshot.h"
#include "ProcessCoreKit/records/RawListeningSocket.h"
#include "tests/support/Snapshots.h"

namespace quaylight::testsupport {

// A process of `uid` with CPU and memory readings; whether it is the scanning user's own
// is left to the fake machine, which compares users itself.
inline ProcessSnapshot makeProcess(std::int32_t pid, std::optional<std::string> path, std::optional<std::int32_t> parent,
                                   std::uint32_t uid = 501, std::uint64_t startSeconds = 1000,
                                   std::optional<std::vector<std::string>> argv = std::nullopt) {
    ProcessSnapshot s = process(pid, std::move(path), parent, startSeconds);
    s.uid = uid;
    s.sameUser = false;
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

}  // namespace quaylight::testsupport
