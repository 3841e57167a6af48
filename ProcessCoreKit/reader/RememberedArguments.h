#pragma once
// The argument vectors of the processes that the last scans read, by identity, for an
// engine that scans again and again: the owners of listening sockets are read every scan,
// and their arguments rarely change. A process can rewrite its title, though, so every
// vector is read afresh every `readEvery` scans. A failed read is never remembered.

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "ProcessCoreKit/records/ProcessIdentity.h"

namespace quaylight {

class RememberedArguments {
public:
    using Arguments = std::vector<std::string>;

    explicit RememberedArguments(int readEvery);

    // Starts the next scan: what the one before did not ask for is forgotten, and
    // everything is, every `readEvery` scans.
    void beginScan();

    // The process's arguments: remembered for this identity, else `read` (called outside
    // any lock). Safe to call from several threads at once.
    std::optional<Arguments> arguments(const ProcessIdentity& identity,
                                       const std::function<std::optional<Arguments>()>& read);

private:
    std::mutex mutex_;
    int readEvery_;
    int scansSinceRead_ = 0;
    std::unordered_map<ProcessIdentity, Arguments> previous_;
    std::unordered_map<ProcessIdentity, Arguments> current_;
};

}  // namespace quaylight
