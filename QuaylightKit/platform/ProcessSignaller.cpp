#include "QuaylightKit/platform/ProcessSignaller.h"

#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "ProcessCoreKit/support/OwnedDescriptor.h"

// The numbers are the same on every architecture Linux shares syscall tables on; older C
// libraries only lack the names.
#ifndef SYS_pidfd_open
#define SYS_pidfd_open 434
#endif
#ifndef SYS_pidfd_send_signal
#define SYS_pidfd_send_signal 424
#endif

namespace quaylight {
namespace {

class PidfdHandle final : public ProcessSignaller::Handle {
public:
    explicit PidfdHandle(OwnedDescriptor fd) : fd_(std::move(fd)) {}
    int send(int signal) override {
        return ::syscall(SYS_pidfd_send_signal, fd_.get(), signal, nullptr, 0) == 0 ? 0 : errno;
    }

private:
    OwnedDescriptor fd_;
};

class KillHandle final : public ProcessSignaller::Handle {
public:
    explicit KillHandle(pid_t pid) : pid_(pid) {}
    int send(int signal) override {
        if (pid_ < 1) return EINVAL;
        return ::kill(pid_, signal) == 0 ? 0 : errno;
    }

private:
    pid_t pid_;
};

class LinuxProcessSignaller final : public ProcessSignaller {
public:
    Opened open(std::int32_t pid) override {
        if (pid < 1) return {nullptr, EINVAL};
        long fd = ::syscall(SYS_pidfd_open, static_cast<pid_t>(pid), 0);
        // A pidfd comes with close-on-exec set: it never leaks into programs started later.
        if (fd >= 0) return {std::make_unique<PidfdHandle>(OwnedDescriptor(static_cast<int>(fd))), 0};
        const int error = errno;
        if (error == ENOSYS) return {std::make_unique<KillHandle>(pid), 0};
        return {nullptr, error};
    }
};

}  // namespace

std::shared_ptr<ProcessSignaller> ProcessSignaller::live() { return std::make_shared<LinuxProcessSignaller>(); }

}  // namespace quaylight
