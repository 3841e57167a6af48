#pragma once
// The one window onto other processes: reads procfs. Every read refuses quietly (an
// empty list or no value) when the process is gone, not ours to read, or its data is
// short; a process vanishing mid-read is normal, never an error.
//
// The procfs root is a parameter so that the parsers run on fixture trees in tests.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ProcessCoreKit/records/ProcessIdentity.h"
#include "ProcessCoreKit/records/RawListeningSocket.h"
#include "ProcessCoreKit/support/OwnedDescriptor.h"

namespace quaylight {

class ListeningSocketTable;

// What /proc/PID/stat (with the directory's owner) tells about a process.
struct BsdInfo {
    std::int32_t pid = 0;
    std::int32_t parentPID = 0;
    std::uint32_t uid = 0;
    std::string commandName;  // raw bytes, at most 15, may be empty
    std::uint64_t startTimeSeconds = 0;
    std::uint32_t startTimeMicroseconds = 0;
};

struct TaskInfo {
    std::uint64_t residentBytes = 0;
    std::uint64_t totalTicks = 0;  // user + system, clock ticks, saturating
};

// Converts clock ticks to nanoseconds: nanoseconds = ticks * numerator / denominator.
struct Timebase {
    std::uint64_t numerator = 0;
    std::uint64_t denominator = 0;
};

// The fields of one stat line that the reader uses. The command name ends at the last ")",
// since the name itself may hold spaces and parentheses.
struct StatFields {
    std::int32_t pid = 0;
    std::string commandName;
    char state = '?';
    std::int32_t parentPID = 0;
    std::uint64_t userTicks = 0;
    std::uint64_t systemTicks = 0;
    std::uint64_t startTicks = 0;  // since boot
    std::uint64_t residentPages = 0;
};
std::optional<StatFields> parseStatLine(std::string_view line);

// Splits /proc/PID/cmdline: NUL-separated arguments, decoded as UTF-8 with repair. A
// process that rewrote its title may leave one unterminated string: it is kept; the zero
// bytes padding such a title (two or more empty arguments at the end) are dropped.
std::optional<std::vector<std::string>> parseCmdline(std::string_view bytes);

// The boot time ("btime") from the text of /proc/stat.
std::optional<std::uint64_t> parseBootTime(std::string_view procStat);

// ticks * numerator / denominator in 128-bit arithmetic, saturating at 2^64 - 1. A zero
// or equal numerator and denominator leave the ticks unchanged.
std::uint64_t nanoseconds(std::uint64_t ticks, Timebase timebase);

class Libproc {
public:
    explicit Libproc(std::string procRoot = "/proc");
    ~Libproc();
    Libproc(const Libproc&) = delete;
    Libproc& operator=(const Libproc&) = delete;

    // The machine's own /proc.
    static const Libproc& live();

    const std::string& root() const { return root_; }
    bool isLive() const { return root_ == "/proc"; }

    // Numeric entries of the root, PID 0 dropped, in directory order.
    std::vector<std::int32_t> allPIDs() const;

    // An open /proc/PID directory. Every read of one process goes through the same
    // descriptor, so a PID reused mid-read cannot mix two processes.
    class Process {
    public:
        Process(Process&&) noexcept;
        Process& operator=(Process&&) noexcept;
        ~Process();

        std::int32_t pid() const { return pid_; }
        std::optional<BsdInfo> bsdInfo() const;
        std::optional<TaskInfo> taskInfo() const;
        std::optional<std::string> execPath() const;
        std::optional<std::string> currentWorkingDirectory() const;
        std::optional<std::vector<std::string>> argv() const;

    private:
        friend class Libproc;
        Process(const Libproc* owner, std::int32_t pid, OwnedDescriptor dirfd);
        std::optional<StatFields> stat() const;
        std::optional<std::string> readLink(const char* name) const;

        const Libproc* owner_;
        std::int32_t pid_;
        OwnedDescriptor dirfd_;
        mutable std::optional<std::optional<StatFields>> stat_;  // read once per handle
    };

    std::optional<Process> open(std::int32_t pid) const;

    // One-shot reads for callers that need a single field.
    std::optional<BsdInfo> bsdInfo(std::int32_t pid) const;
    // The executable path (one readlink) and the kernel's command name (one small read)
    // without opening the process directory: for a quick first look at many processes.
    std::optional<std::string> executablePath(std::int32_t pid) const;
    std::optional<std::string> commandName(std::int32_t pid) const;
    // The PID with its start time, from one read of its stat file: the same identity as
    // bsdInfo gives, for callers that only tell one process from another.
    std::optional<ProcessIdentity> identity(std::int32_t pid) const;
    std::optional<std::string> currentWorkingDirectory(std::int32_t pid) const;
    // Whether the process runs a program we may inspect: false for kernel threads and
    // zombies (they have no executable, and no descriptors) and for processes whose
    // executable and descriptors are closed to us. One system call, so that a scan can
    // pass over such processes before reading anything else of them.
    bool isInspectableProgram(std::int32_t pid) const;
    // The same test with the executable path that the one system call reads: no value for
    // a process that is not inspectable, else its path as executablePath gives it.
    std::optional<std::optional<std::string>> inspectableExecutablePath(std::int32_t pid) const;
    // The process's listening TCP sockets, in descriptor order; straight from /proc/PID/fd
    // without opening the process directory, since a scan asks this of every process.
    std::vector<RawListeningSocket> listeningSockets(std::int32_t pid, const ListeningSocketTable& table) const;
    // The same sockets as inodes of the table, in descriptor order.
    std::vector<std::uint64_t> listeningSocketInodes(std::int32_t pid, const ListeningSocketTable& table) const;

    // Read once per Libproc and kept: identities must come out identical on every read.
    std::uint64_t bootTimeSeconds() const;
    static long clockTicksPerSecond();
    static long pageSize();
    // CLK_TCK ticks to nanoseconds.
    static Timebase machTimebase();

private:
    // Start time from clock ticks since boot (the identity's PID left 0).
    ProcessIdentity startTime(std::uint64_t startTicks) const;
    static std::vector<std::uint64_t> inodesInFdDirectory(OwnedDescriptor fdDirectory,
                                                          const ListeningSocketTable& table);

    std::string root_;
    OwnedDescriptor rootfd_;
    struct BootTime;
    std::unique_ptr<BootTime> bootTime_;
};

}  // namespace quaylight
