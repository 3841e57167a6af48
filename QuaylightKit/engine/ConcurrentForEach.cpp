#include "QuaylightKit/engine/ConcurrentForEach.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace quaylight {

void sequentialForEach(std::size_t count, const IndexBody& body) {
    for (std::size_t i = 0; i < count; ++i) body(i);
}

ConcurrentForEach threadedForEach(unsigned maxThreads, std::size_t minimumPerThread) {
    return [maxThreads, minimumPerThread](std::size_t count, const IndexBody& body) {
        const std::size_t byWork = minimumPerThread ? count / minimumPerThread : count;
        const unsigned threads = static_cast<unsigned>(std::clamp<std::size_t>(byWork, 1, std::max(1u, maxThreads)));
        if (threads <= 1) return sequentialForEach(count, body);

        std::atomic<std::size_t> next{0};
        std::exception_ptr failure;
        std::mutex failureLock;
        auto work = [&] {
            try {
                for (std::size_t i = next++; i < count; i = next++) body(i);
            } catch (...) {
                std::lock_guard lock(failureLock);
                if (!failure) failure = std::current_exception();
                next = count;  // the others stop at their next index
            }
        };
        std::vector<std::thread> helpers;
        helpers.reserve(threads - 1);
        for (unsigned t = 1; t < threads; ++t) {
            // A thread the system refuses (no memory, a thread limit) leaves its share to the
            // others; letting the error out would destroy the started helpers unjoined.
            try {
                helpers.emplace_back(work);
            } catch (const std::system_error&) {
                break;
            }
        }
        work();
        for (auto& helper : helpers) helper.join();
        if (failure) std::rethrow_exception(failure);
    };
}

}  // namespace quaylight
