#pragma once
// The argument vectors of the processes that the last scans read, by identity, for an
// engine that scans again and again: the owners of listening sockets are read every scan,
// and their arguments rarely change. A process can rewrite its title, though, so every
// vector is read afresh every `readEvery` scans. A failed read is never remembered.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ProcessCoreKit/records/ProcessIdentity.h"
#include "ProcessCoreKit/support/CarriedOverMap.h"

namespace quaylight {

class RememberedArguments {
public:
    using Arguments = std::vector<std::string>;

    explicit RememberedArguments(int readEvery);

    // Starts the next scan, between scans: what the one before did not ask for is
    // forgotten, and everything is, every `readEvery` scans.
    void beginScan();

    // The process's arguments: remembered for this identity, else `read` (called outside
    // any lock). Safe to call from several threads at once.
    std::optional<Arguments> arguments(const ProcessIdentity& identity,
                                       const std::function<std::optional<Arguments>()>& read);

private:
    int readEvery_;
    int scansSinceRead_ = 0;
    CarriedOverMap<ProcessIdentity, Arguments> arguments_;
};

}  // namespace quaylight
