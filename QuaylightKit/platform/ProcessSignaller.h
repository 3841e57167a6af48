#pragma once
// The one way Quaylight sends a signal to another process.
//
// A signal is sent through a handle opened on the PID *before* the process is verified:
// on Linux a pidfd, which keeps naming the process it was opened on. So a process that
// exits after the check cannot pass its PID on to a newcomer who then gets the signal;
// the send fails with ESRCH instead. Where the kernel has no pidfd_open the handle falls
// back to kill() on the PID.
//
// Callers never open a handle on a PID below 1 (kill() would signal a process group).

#include <cstdint>
#include <memory>

namespace quaylight {

class ProcessSignaller {
public:
    class Handle {
    public:
        virtual ~Handle() = default;
        // 0 when the signal was sent, else the errno (ESRCH: the process has exited; EPERM:
        // not ours to signal).
        virtual int send(int signal) = 0;
    };

    struct Opened {
        std::unique_ptr<Handle> handle;  // absent when the open failed
        int error = 0;                   // the errno of a failed open (ESRCH: no such process)
    };

    virtual ~ProcessSignaller() = default;
    // A handle on the process that holds `pid` now; `pid` must be 1 or more.
    virtual Opened open(std::int32_t pid) = 0;

    // pidfd_open and pidfd_send_signal; kill() where the kernel lacks pidfd_open.
    static std::shared_ptr<ProcessSignaller> live();
};

}  // namespace quaylight
