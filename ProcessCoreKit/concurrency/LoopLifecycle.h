#pragma once
// Runs one paced session at a time for an owner that lives on one thread (the
// application's main thread): a fresh session each time it starts, consumed on a thread
// of its own, with every value and the start and the stop of the loop handed to the owner
// on the owner's thread.
//
// The Session type provides `using Value = ...;` and `makeIterator()`, whose iterator has
// `std::optional<Value> next(std::stop_token)` (a session built on PacedLoop does).
//
// Use it from the owner's thread only. Events, all delivered on the owner's thread:
// - LoopStarted: from activateIfNeeded(), when it made a session;
// - a Value: for every value of the current session, unless the session was stopped or
//   replaced since (a value that straddles a stop is never delivered);
// - LoopStopped: once per run, from stop() or when the session's sequence ends by itself.
//
// postToOwner(closure) must queue the closure for the owner's thread and return without
// running it or waiting for it (a queued QMetaObject::invokeMethod does).
//
// stop() and the destructor cancel the consumer and join its thread; that is prompt,
// since the consumer only ever waits on stop-aware sleeps and hand-overs, while the work
// itself runs on the session's worker pool. The destructor delivers nothing.

#include <functional>
#include <memory>
#include <stop_token>
#include <thread>
#include <utility>
#include <variant>

namespace quaylight {

struct LoopStarted {
    friend bool operator==(LoopStarted, LoopStarted) { return true; }
};
struct LoopStopped {
    friend bool operator==(LoopStopped, LoopStopped) { return true; }
};
template <class Value>
using LoopLifecycleEvent = std::variant<LoopStarted, Value, LoopStopped>;

template <class Session>
class LoopLifecycle {
public:
    using Value = typename Session::Value;
    using Event = LoopLifecycleEvent<Value>;

    struct Dependencies {
        std::function<std::shared_ptr<Session>()> makeSession;
        std::function<void(Event)> deliver;
        std::function<void(std::function<void()>)> postToOwner;
    };

    explicit LoopLifecycle(Dependencies dependencies) : core_(std::make_shared<Core>(std::move(dependencies))) {}
    ~LoopLifecycle() {
        core_->currentSession.reset();
        retire(std::move(core_->consumer));
    }
    LoopLifecycle(const LoopLifecycle&) = delete;
    LoopLifecycle& operator=(const LoopLifecycle&) = delete;

    void activateIfNeeded() {
        if (core_->currentSession) return;
        auto session = core_->dependencies.makeSession();
        core_->currentSession = session;
        retire(std::move(core_->consumer));  // a thread whose sequence ended by itself
        core_->consumer = std::jthread(consume, std::weak_ptr<Core>(core_), session, core_->dependencies.postToOwner);
        core_->dependencies.deliver(LoopStarted{});
    }

    void stop() {
        if (!core_->currentSession && !core_->consumer.joinable()) return;
        core_->currentSession.reset();
        retire(std::move(core_->consumer));
        core_->dependencies.deliver(LoopStopped{});
    }

    const std::shared_ptr<Session>& currentSession() const { return core_->currentSession; }
    bool isRunning() const { return core_->currentSession != nullptr; }

private:
    struct Core {
        explicit Core(Dependencies d) : dependencies(std::move(d)) {}
        Dependencies dependencies;
        std::shared_ptr<Session> currentSession;
        std::jthread consumer;
    };

    static void consume(std::stop_token stop, std::weak_ptr<Core> weakCore, std::shared_ptr<Session> session,
                        std::function<void(std::function<void()>)> postToOwner) {
        auto iterator = session->makeIterator();
        while (auto value = iterator.next(stop)) {
            postToOwner([weakCore, session, stop, value = std::move(*value)]() mutable {
                auto core = weakCore.lock();
                if (stop.stop_requested() || !core || core->currentSession != session) return;
                core->dependencies.deliver(Event(std::in_place_index<1>, std::move(value)));
            });
        }
        postToOwner([weakCore, session] {
            auto core = weakCore.lock();
            if (!core || core->currentSession != session) return;
            core->currentSession.reset();
            retire(std::move(core->consumer));
            core->dependencies.deliver(LoopStopped{});
        });
    }

    // Cancels and joins a consumer; a consumer never joins itself (an owner queue that ran
    // the closure inline would otherwise deadlock), it is let go to finish instead.
    static void retire(std::jthread consumer) {
        if (!consumer.joinable()) return;
        consumer.request_stop();
        if (consumer.get_id() == std::this_thread::get_id()) consumer.detach();
    }

    std::shared_ptr<Core> core_;
};

}  // namespace quaylight
