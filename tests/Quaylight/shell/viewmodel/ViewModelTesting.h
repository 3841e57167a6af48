#pragma once
// A view model over fakes: settings in memory, a fixed set of running applications, an
// inventory on a manual executor, and stop performers that wait on a promise each, so a
// test decides when (and in which order) each action finishes.

#include <future>
#include <map>
#include <memory>
#include <mutex>

#include "ProcessCoreKit/concurrency/WorkerPool.h"
#include "Quaylight/agent-hooks/server/SerialQueue.h"
#include "Quaylight/agent-inventory/coordinator/ManualExecutor.h"
#include "Quaylight/shell/viewmodel/FakeRunningApplications.h"
#include "Quaylight/shell/viewmodel/QuaylightViewModel.h"
#include "tests/Quaylight/agent-inventory/support/InventoryTesting.h"
#include "tests/Quaylight/shell/testing/LiveTerminator.h"

namespace quaylight::testsupport {

// One outcome a test hands to a waiting performer.
template <class Outcome>
struct HeldCalls {
    std::mutex mutex;
    std::vector<std::promise<Outcome>> promises;
    std::vector<std::shared_future<Outcome>> futures;
    int calls = 0;

    // Called on a worker: waits for the test's answer to the n-th call.
    Outcome wait() {
        std::shared_future<Outcome> future;
        {
            std::lock_guard lock(mutex);
            ensure(calls);
            future = futures[static_cast<std::size_t>(calls)];
            ++calls;
        }
        return future.get();
    }
    void answer(int call, Outcome outcome) {
        std::lock_guard lock(mutex);
        ensure(call);
        promises[static_cast<std::size_t>(call)].set_value(std::move(outcome));
    }
    int started() {
        std::lock_guard lock(mutex);
        return calls;
    }

private:
    void ensure(int index) {
        while (static_cast<int>(promises.size()) <= index) {
            promises.emplace_back();
            futures.push_back(promises.back().get_future().share());
        }
    }
};

struct ViewModelHarness {
    std::shared_ptr<InMemoryUserDefaults> defaults = std::make_shared<InMemoryUserDefaults>();
    std::shared_ptr<FakeRunningApplications> running = std::make_shared<FakeRunningApplications>();
    std::shared_ptr<ManualExecutor> executor = std::make_shared<ManualExecutor>(t(std::chrono::seconds(0)));
    std::shared_ptr<SerialQueue> probes = std::make_shared<SerialQueue>("test.focus-probe");
    std::shared_ptr<WorkerPool> workers = std::make_shared<WorkerPool>(4);
    std::map<std::int32_t, ProcessIdentity> liveIdentities;  // what the host resolver reads
    std::mutex liveMutex;

    HeldCalls<KillOutcome> kills;
    HeldCalls<KillOutcome> forceKills;
    HeldCalls<StopPoolOutcome> poolStops;
    HeldCalls<StopVisibleOutcome> visibleStops;
    HeldCalls<StopAgentOutcome> agentStops;
    HeldCalls<std::optional<StopAgentRequest>> preparations;
    int scanRequests = 0;

    std::unique_ptr<QuaylightViewModel> model;

    ViewModelHarness() { make(); }
    ~ViewModelHarness() {
        model.reset();
        // Release every performer still waiting, so the workers can finish.
        for (int i = 0; i < 8; ++i) {
            tryAnswer(kills, i, KillOutcome{});
            tryAnswer(forceKills, i, KillOutcome{});
            tryAnswer(poolStops, i, StopPoolOutcome{});
            tryAnswer(visibleStops, i, StopVisibleOutcome{});
            tryAnswer(agentStops, i, StopAgentOutcome{});
            tryAnswer(preparations, i, std::optional<StopAgentRequest>{});
        }
        workers.reset();
    }

    void make() {
        QuaylightViewModel::Dependencies d{.terminator = testsupport::liveTerminator()};
        d.defaults = defaults;
        d.performers.kill = [this](const KillRequest&) { return kills.wait(); };
        d.performers.forceKill = [this](const ForceKillRequest&) { return forceKills.wait(); };
        d.performers.stopPool = [this](const StopPoolRequest&) { return poolStops.wait(); };
        d.performers.stopVisible = [this](const StopVisibleRequest&) { return visibleStops.wait(); };
        d.performers.stopAgent = [this](const StopAgentRequest&) { return agentStops.wait(); };
        d.performers.stopAgentRequest = [this](const std::string&, AgentKind, const AgentProcessIdentity&) {
            return preparations.wait();
        };
        d.runInBackground = [pool = workers](std::function<void()> job) { pool->submit(std::move(job)); };
        d.inventory.executor = executor;
        d.inventory.now = executor->clock();
        d.inventory.isProcessCurrent = [](const ProcessIdentity&) { return true; };
        d.runningApplications = running;
        d.focusHostResolver = [this](std::int32_t pid) -> std::optional<ProcessIdentity> {
            std::lock_guard lock(liveMutex);
            auto found = liveIdentities.find(pid);
            if (found == liveIdentities.end()) return std::nullopt;
            return found->second;
        };
        d.makeFocusEngine = [] { return PortEngine(PortEngineDependencies::live()); };
        d.focusProbeQueue = probes;
        model = std::make_unique<QuaylightViewModel>(std::move(d));
        model->requestScan = [this] { ++scanRequests; };
    }

    void setLive(std::int32_t pid, ProcessIdentity identity) {
        std::lock_guard lock(liveMutex);
        liveIdentities[pid] = identity;
    }

    // Waits until the focus-probe queue ran everything queued so far.
    void flushProbes() {
        probes->sync([] {});
    }

private:
    template <class Outcome>
    static void tryAnswer(HeldCalls<Outcome>& held, int call, Outcome outcome) {
        try {
            held.answer(call, std::move(outcome));
        } catch (const std::future_error&) {
        }
    }
};

}  // namespace quaylight::testsupport
