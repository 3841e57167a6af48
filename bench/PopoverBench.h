#pragma once
// The listeners and panel inputs the popover benchmarks share: many rows of one kind, as a
// busy development machine shows them.

#include <string>
#include <vector>

#include "Quaylight/popover/model/PopoverInputs.h"
#include "bench/BenchSupport.h"

namespace quaylight::bench {

inline PortListener benchListener(int i) {
    PortListener l;
    ProcessSnapshot& process = l.process.edit();
    process.identity = {10'000 + i, static_cast<std::uint64_t>(1'780'000'000 - i * 60), 0};
    process.name = "server-" + std::to_string(i % 17);
    process.executablePath = "/usr/bin/node";
    process.uid = 1000;
    process.sameUser = true;
    process.residentMemoryBytes = 50'000'000;
    l.port = 3000 + i;
    l.endpoints = {BoundEndpoint{"127.0.0.1", AddressFamily::ipv4, l.port}};
    l.bindScope = BindScope::loopbackOnly;
    l.classification.runtime = Runtime::node;
    l.classification.confidence = Confidence::medium;
    l.project = ListenerProject{"project-" + std::to_string(i % 9), std::nullopt};
    l.identity = ListenerIdentity{l.process->identity, PortProtocol::tcp, l.port, {}, false, std::nullopt};
    return l;
}

// The panel past its first run, listing nothing yet, at a fixed "now".
inline PopoverInputs benchInputs() {
    PopoverInputs inputs;
    inputs.launchAtLoginOfferCompleted = true;
    inputs.onboardingComplete = true;
    inputs.context = {1, 1000};
    inputs.displayFields = {true, true, true, false, true, true, true, true, false};
    inputs.now = wallTimeFromMicroseconds(std::int64_t{1'780'000'000} * 1'000'000);
    return inputs;
}

}  // namespace quaylight::bench
