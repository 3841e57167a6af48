#pragma once
// Runs a loop body over indices on several threads. A scan reads hundreds of small procfs
// files one system call at a time; the kernel serves different processes in parallel, so
// spreading the processes over a few threads shortens the scan's wall time several-fold.

#include <cstddef>
#include <functional>

namespace quaylight {

using IndexBody = std::function<void(std::size_t index)>;
// Calls `body` once for every index below `count`, in any order, possibly concurrently.
using ConcurrentForEach = std::function<void(std::size_t count, const IndexBody& body)>;

// One index after the other on the calling thread.
void sequentialForEach(std::size_t count, const IndexBody& body);

// The calling thread plus up to `maxThreads - 1` helpers, each taking the next index as
// it finishes the last (processes differ widely in cost). Short loops stay on the caller,
// and so does the work of a helper the system refuses to start.
// An exception from the body is rethrown on the caller once every thread has stopped.
ConcurrentForEach threadedForEach(unsigned maxThreads, std::size_t minimumPerThread);

}  // namespace quaylight
