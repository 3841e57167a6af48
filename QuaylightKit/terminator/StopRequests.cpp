#include "QuaylightKit/terminator/StopRequests.h"

#include <set>

#include <fmt/format.h>

#include "ProcessCoreKit/recognition/AgentProcessDetector.h"

namespace quaylight {
namespace {

// Requests are built without the code-signature test: it is the live check's to run.
bool isActionable(const PortListener& listener, const ProcessSafetyClassifier::Context& context) {
    return ProcessSafetyClassifier::classify(*listener.process, false, listener.isInQuaylightSubtree, context)
        .isActionable();
}

bool qualifiesForKill(const PortListener& listener, const ProcessSafetyClassifier::Context& context) {
    return listener.workerPoolSize < 2 && listener.visibility == VisibilityClass::defaultVisible &&
           isActionable(listener, context);
}

bool qualifiesForPool(const PortListener& listener, const ProcessSafetyClassifier::Context& context) {
    return listener.workerPoolSize >= 2 && listener.visibility == VisibilityClass::defaultVisible &&
           listener.parentIdentity && listener.process->executablePath && listener.process->uid &&
           isActionable(listener, context);
}

template <class Request>
std::optional<Request> processRequest(const PortListener& listener, const ProcessSafetyClassifier::Context& context,
                                      std::string_view signalName) {
    if (!qualifiesForKill(listener, context)) return std::nullopt;
    Request request;
    request.id = listener.id();
    request.displayName = listener.process->displayName();
    request.pid = listener.process->identity.pid;
    request.port = listener.port;
    request.signalName = std::string(signalName);
    request.target = listener.process->identity;
    return request;
}

}  // namespace

std::optional<KillRequest> KillRequest::request(const PortListener& listener,
                                                const ProcessSafetyClassifier::Context& context) {
    return processRequest<KillRequest>(listener, context, "SIGTERM");
}

std::optional<ForceKillRequest> ForceKillRequest::request(const PortListener& listener,
                                                          const ProcessSafetyClassifier::Context& context) {
    return processRequest<ForceKillRequest>(listener, context, "SIGKILL");
}

std::optional<StopPoolRequest> StopPoolRequest::request(const PortListener& listener,
                                                        const ProcessSafetyClassifier::Context& context) {
    if (!qualifiesForPool(listener, context)) return std::nullopt;
    const auto& process = *listener.process;
    StopPoolRequest request;
    request.id = listener.id();
    request.displayName = process.displayName();
    request.representativePID = process.identity.pid;
    request.port = listener.port;
    request.poolSize = listener.workerPoolSize;
    request.supervisor = *listener.parentIdentity;
    request.poolSignals = {listener.port,     listener.bindSignature,
                           *process.executablePath, *listener.parentIdentity,
                           *process.uid,      WorkerPoolCollapser::exactEndpoints(listener.endpoints)};
    return request;
}

std::optional<StopAgentRequest> StopAgentRequest::request(std::string id, AgentKind provider,
                                                          const AgentProcessIdentity& identity,
                                                          const std::optional<ProcessSnapshot>& live,
                                                          bool appleSystemBinary, bool inQuaylightSubtree,
                                                          const ProcessSafetyClassifier::Context& context) {
    if (!live || live->identity != identity.process) return std::nullopt;
    if (!ProcessSafetyClassifier::classify(*live, appleSystemBinary, inQuaylightSubtree, context).isActionable())
        return std::nullopt;
    if (AgentProcessDetector::detect(*live) != identity.kind) return std::nullopt;
    return StopAgentRequest{std::move(id), std::string(displayName(provider)), identity.process.pid, "SIGTERM",
                            identity};
}

std::optional<StopVisibleRequest> StopVisibleRequest::request(const std::vector<PortListener>& listeners,
                                                              const ProcessSafetyClassifier::Context& context) {
    StopVisibleRequest request;
    std::set<ProcessIdentity> seen;  // processes and supervisors share one set of keys
    std::string id;
    auto addKey = [&](std::string key) {
        if (!id.empty()) id += '|';
        id += key;
    };
    for (const auto& listener : listeners) {
        if (auto kill = KillRequest::request(listener, context)) {
            ++request.listenerCount;
            if (!seen.insert(kill->target).second) continue;
            addKey(fmt::format("process:{}:{}", kill->target.pid, kill->id));
            request.targets.emplace_back(std::move(*kill));
        } else if (auto pool = StopPoolRequest::request(listener, context)) {
            ++request.listenerCount;
            if (!seen.insert(pool->supervisor).second) continue;
            addKey(fmt::format("pool:{}:{}", pool->supervisor.pid, pool->id));
            request.targets.emplace_back(std::move(*pool));
        }
    }
    if (request.targets.empty()) return std::nullopt;
    request.id = std::move(id);
    return request;
}

}  // namespace quaylight
