#pragma once
// Gathers what a socket server delivers, for tests that wait on real connections.

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <vector>

#include "Quaylight/agent-hooks/server/AgentHookSocketServer.h"

namespace quaylight::testsupport {

class EnvelopeCollector {
public:
    struct Delivery {
        AgentHookProtocol::Envelope envelope;
        WallTime at;
    };

    AgentHookSocketServer::EnvelopeHandler handler() {
        return [this](const AgentHookProtocol::Envelope& envelope, WallTime at) {
            std::lock_guard lock(mutex_);
            deliveries_.push_back({envelope, at});
            changed_.notify_all();
        };
    }
    // A peer check that admits everyone and counts the accepted connections.
    std::function<bool(int)> countingPeerCheck(bool admit = true) {
        return [this, admit](int) {
            std::lock_guard lock(mutex_);
            ++accepted_;
            changed_.notify_all();
            return admit;
        };
    }

    // Waits (generously) until `count` deliveries arrived; false if they never do.
    bool waitForDeliveries(std::size_t count) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(10), [&] { return deliveries_.size() >= count; });
    }
    bool waitForAccepted(std::size_t count) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(10), [&] { return accepted_ >= count; });
    }
    std::vector<Delivery> deliveries() {
        std::lock_guard lock(mutex_);
        return deliveries_;
    }
    std::size_t accepted() {
        std::lock_guard lock(mutex_);
        return accepted_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Delivery> deliveries_;
    std::size_t accepted_ = 0;
};

}  // namespace quaylight::testsupport
