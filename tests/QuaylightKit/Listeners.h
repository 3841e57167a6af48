#pragma once
// Listener rows for the kit's list, session and stop-request tests.

#include <optional>
#include <string>

#include "QuaylightKit/listener/ScanResult.h"
#include "tests/QuaylightKit/Snapshots.h"

namespace quaylight::testsupport {

// A visible row of a single process (start time 1000 + pid) on `port`.
inline PortListener makeListener(std::int32_t pid, std::int64_t port, std::string path = "/usr/bin/node",
                                 VisibilityClass visibility = VisibilityClass::defaultVisible) {
    PortListener l;
    l.process = makeProcess(pid, std::move(path), 1, 501, 1000 + pid);
    l.process.edit().sameUser = true;
    l.port = port;
    l.visibility = visibility;
    l.identity = ListenerIdentity{l.process->identity, PortProtocol::tcp, port, {}, false, std::nullopt};
    return l;
}

// The same row collapsed into a pool of `size` workers forked by `supervisor`.
inline PortListener makePoolListener(std::int32_t pid, std::int64_t port, std::int64_t size, ProcessIdentity supervisor,
                                     std::string path = "/usr/bin/python3") {
    PortListener l = makeListener(pid, port, std::move(path));
    l.workerPoolSize = size;
    l.parentIdentity = supervisor;
    l.identity = ListenerIdentity{supervisor, PortProtocol::tcp, port, {}, true, l.process->executablePath};
    return l;
}

inline ScanResult resultOf(std::vector<PortListener> listeners, std::int64_t scannedAtSeconds = 1'780'000'000) {
    ScanResult r;
    r.listeners = std::move(listeners);
    r.scannedAt = wallTimeFromMicroseconds(scannedAtSeconds * 1'000'000);
    r.processCount = static_cast<std::int64_t>(r.listeners.size());
    return r;
}

}  // namespace quaylight::testsupport
