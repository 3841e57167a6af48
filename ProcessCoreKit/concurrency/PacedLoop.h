#pragma once
// A paced, pokeable, cancellable stream of values: the shape shared by the port scan
// session and the agent tracking session.
//
// A consumer pulls values with Iterator::next(stop). Each call works once at once (the
// first call) or after a pause (every later call), then settles the work's result into
// a value to hand out, or into nothing (pause and work again), or into the end:
//
//     next(stop):  [initial | poke pending | sleep(nextSleep())] -> work on the pool -> settle
//                       ^                                                               |
//                       +-------------------------- KeepPacing -------------------------+
//
// The three steps (PacedLoopSteps):
// - work(cancelled): the expensive part. It runs as a job on a WorkerPool, never on the
//   consumer's thread, and must not touch the loop. Its token is stopped once the loop is
//   cancelled, for good: work that starts after a cancellation can refuse to run.
// - nextSleep(): the pause before the next work; asked on the consumer's thread just
//   before each sleep (not before the first work, nor when a poke was pending), so it can
//   read the current power settings and keep its own cadence state.
// - settle(result, trigger): on the consumer's thread, turns a result into a Value to
//   return, KeepPacing, or EndSequence. nextSleep and settle run one at a time, always on
//   the thread that called next(), so state they share needs no lock.
//
// Cancellation: the consumer's std::stop_token. Requesting stop on it (for example a
// std::jthread's request_stop()) ends a pending next() at once, in mid-sleep or while
// the work runs, and ends the sequence for good; work still running finishes on the pool
// and its result is dropped. next() never throws: the end of the sequence is an empty
// optional. Any step that throws also ends the sequence.
//
// poke() (any thread) asks for work now: during a sleep it ends the sleep with trigger
// `poke`; otherwise the next pause is skipped. A poke before the first next() began, or
// after the end, is dropped; pokes that arrive before a work starts are absorbed by it.
//
// The loop can be iterated once: the first makeIterator() gets it, later ones get an
// iterator that ends at once; a second next() running at the same time as another gets
// the end without ending the sequence. Make the loop with std::make_shared.
//
// Example (a session owns the loop; a consumer thread drains it):
//
//     auto loop = std::make_shared<PacedLoop<Result, Frame>>(steps, sleeper, pool);
//     std::jthread consumer([it = loop->makeIterator()](std::stop_token stop) mutable {
//         while (auto frame = it.next(stop)) post(*frame);
//     });
//     loop->poke();              // scan now
//     consumer.request_stop();   // ends the loop; the thread returns promptly

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <type_traits>
#include <utility>
#include <variant>

#include "ProcessCoreKit/concurrency/Rendezvous.h"
#include "ProcessCoreKit/concurrency/Sleeper.h"
#include "ProcessCoreKit/concurrency/WorkerPool.h"
#include "ProcessCoreKit/support/Log.h"

namespace quaylight {

// Why a work ran: the first of the sequence, a pause that ran out, or a poke.
enum class PacedTrigger { initial, cadence, poke };

// Settling a result into nothing: pause and work again.
struct KeepPacing {};
// Settling a result into the end of the sequence.
struct EndSequence {};
template <class Value>
using Settlement = std::variant<Value, KeepPacing, EndSequence>;

template <class Result, class Value>
struct PacedLoopSteps {
    std::function<Result(std::stop_token cancelled)> work;
    std::function<SleepDuration()> nextSleep;
    std::function<Settlement<Value>(Result&& result, PacedTrigger trigger)> settle;
};

template <class Result, class Value>
class PacedLoop : public std::enable_shared_from_this<PacedLoop<Result, Value>> {
    static_assert(!std::is_same_v<Value, KeepPacing> && !std::is_same_v<Value, EndSequence>);

public:
    using Steps = PacedLoopSteps<Result, Value>;

    class Iterator {
    public:
        Iterator() = default;
        // The next value, or nothing at the end of the sequence.
        std::optional<Value> next(std::stop_token stop) { return loop_ ? loop_->next(std::move(stop)) : std::nullopt; }

    private:
        friend class PacedLoop;
        explicit Iterator(std::shared_ptr<PacedLoop> loop) : loop_(std::move(loop)) {}
        std::shared_ptr<PacedLoop> loop_;
    };

    PacedLoop(Steps steps, std::shared_ptr<Sleeper> sleeper, std::shared_ptr<WorkerPool> pool)
        : steps_(std::move(steps)), sleeper_(std::move(sleeper)), pool_(std::move(pool)) {}

    Iterator makeIterator() {
        std::lock_guard lock(mutex_);
        if (iteratorMade_) return Iterator();
        iteratorMade_ = true;
        return Iterator(this->shared_from_this());
    }

    void poke() {
        std::optional<std::stop_source> sleepToEnd;
        {
            std::lock_guard lock(mutex_);
            if (!iterationBegun_ || terminated_) return;
            if (currentSleep_) {
                sleepPoked_ = true;
                sleepToEnd = std::exchange(currentSleep_, std::nullopt);
            } else {
                pokePending_ = true;
            }
        }
        if (sleepToEnd) sleepToEnd->request_stop();
    }

private:
    std::optional<Value> next(std::stop_token stop) {
        {
            std::lock_guard lock(mutex_);
            if (terminated_ || nextInFlight_) return std::nullopt;
            nextInFlight_ = true;
            iterationBegun_ = true;
        }
        struct InFlight {
            PacedLoop& loop;
            ~InFlight() {
                std::lock_guard lock(loop.mutex_);
                loop.nextInFlight_ = false;
            }
        } inFlight{*this};
        // The consumer's cancellation becomes the loop's, at once and for good.
        std::stop_callback forward(stop, [this] { cancelled_.request_stop(); });

        try {
            for (;;) {
                auto trigger = awaitTrigger();
                if (!trigger) return terminate();
                auto result = runWork();
                if (!result) return terminate();
                auto settled = steps_.settle(std::move(*result), *trigger);
                if (auto* value = std::get_if<Value>(&settled)) return std::move(*value);
                if (std::holds_alternative<EndSequence>(settled)) return terminate();
                if (cancelled_.stop_requested()) return terminate();
            }
        } catch (...) {
            // A pacing or settling step that throws ends the sequence, as work does.
            logging::write(LogSeverity::error, "paced-loop",
                           "a pacing or settling step threw; the sequence ends: " + logging::currentExceptionText());
            return terminate();
        }
    }

    std::optional<PacedTrigger> awaitTrigger() {
        if (cancelled_.stop_requested()) return std::nullopt;
        if (isFirst_) {
            isFirst_ = false;
            return PacedTrigger::initial;
        }
        {
            std::lock_guard lock(mutex_);
            if (std::exchange(pokePending_, false)) return PacedTrigger::poke;
        }
        const SleepDuration pause = steps_.nextSleep();
        std::stop_source sleepStop;
        {
            std::lock_guard lock(mutex_);
            if (terminated_ || cancelled_.stop_requested()) return std::nullopt;
            if (std::exchange(pokePending_, false)) return PacedTrigger::poke;
            currentSleep_ = sleepStop;
            sleepPoked_ = false;
        }
        bool ranOut;
        {
            std::stop_callback onCancel(cancelled_.get_token(), [sleepStop]() mutable { sleepStop.request_stop(); });
            ranOut = sleeper_->sleep(pause, sleepStop.get_token());
        }
        bool poked;
        {
            std::lock_guard lock(mutex_);
            currentSleep_.reset();
            poked = std::exchange(sleepPoked_, false);
        }
        if (cancelled_.stop_requested()) return std::nullopt;
        if (poked) return PacedTrigger::poke;
        if (ranOut) return PacedTrigger::cadence;
        return std::nullopt;  // the sleeper gave up by itself
    }

    // The work's result, or nothing when the loop was cancelled or the work threw.
    std::optional<Result> runWork() {
        {
            std::lock_guard lock(mutex_);
            pokePending_ = false;  // this work answers every poke so far
            if (terminated_) return std::nullopt;
        }
        if (cancelled_.stop_requested()) return std::nullopt;
        auto handOver = std::make_shared<Rendezvous<std::optional<Result>>>();
        pool_->submit([work = steps_.work, handOver, cancelled = cancelled_.get_token()] {
            try {
                handOver->resume(std::optional<Result>(work(cancelled)));
            } catch (...) {
                logging::write(LogSeverity::error, "paced-loop",
                               "the work threw; the sequence ends: " + logging::currentExceptionText());
                handOver->resume(std::nullopt);
            }
        });
        auto outcome = handOver->wait(cancelled_.get_token());
        if (!outcome || !*outcome || cancelled_.stop_requested()) return std::nullopt;
        return std::move(**outcome);
    }

    std::optional<Value> terminate() {
        {
            std::lock_guard lock(mutex_);
            terminated_ = true;
        }
        cancelled_.request_stop();
        return std::nullopt;
    }

    const Steps steps_;
    const std::shared_ptr<Sleeper> sleeper_;
    const std::shared_ptr<WorkerPool> pool_;
    std::stop_source cancelled_;
    bool isFirst_ = true;  // touched only by the one next() in flight

    std::mutex mutex_;  // guards what follows; never held across a sleep or a wait
    bool iteratorMade_ = false;
    bool iterationBegun_ = false;
    bool nextInFlight_ = false;
    bool terminated_ = false;
    bool pokePending_ = false;
    bool sleepPoked_ = false;
    std::optional<std::stop_source> currentSleep_;
};

}  // namespace quaylight
