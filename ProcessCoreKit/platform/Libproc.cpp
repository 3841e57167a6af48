#include "ProcessCoreKit/platform/Libproc.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <limits>
#include <mutex>

#include "ProcessCoreKit/platform/ListeningSocketTable.h"
#include "ProcessCoreKit/support/Text.h"

namespace quaylight {
namespace {

__extension__ typedef unsigned __int128 UInt128;

constexpr std::uint64_t kMax64 = std::numeric_limits<std::uint64_t>::max();

std::uint64_t saturatingAdd(std::uint64_t a, std::uint64_t b) { return a > kMax64 - b ? kMax64 : a + b; }

std::uint64_t saturatingMul(std::uint64_t a, std::uint64_t b) {
    UInt128 product = static_cast<UInt128>(a) * b;
    return product > kMax64 ? kMax64 : static_cast<std::uint64_t>(product);
}

template <class Int>
std::optional<Int> parseInt(std::string_view text) {
    Int value{};
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// Reads a whole file relative to `dirfd`, retrying on EINTR; no value when it cannot be
// opened or read.
std::optional<std::string> readFileAt(int dirfd, const char* name) {
    if (dirfd < 0) return std::nullopt;
    const OwnedDescriptor fd(::openat(dirfd, name, O_RDONLY | O_CLOEXEC | O_NOCTTY));
    if (!fd) return std::nullopt;
    std::string data;
    char buffer[4096];
    for (;;) {
        ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::nullopt;
        if (n == 0) break;
        data.append(buffer, static_cast<std::size_t>(n));
    }
    return data;
}

// Reads a process's stat line. The kernel produces it whole on the first read, so a read
// that comes back short and ends the line is all of it; anything else takes the general path.
std::optional<std::string> readStatAt(int dirfd, const char* name) {
    if (dirfd < 0) return std::nullopt;
    OwnedDescriptor fd(::openat(dirfd, name, O_RDONLY | O_CLOEXEC | O_NOCTTY));
    if (!fd) return std::nullopt;
    char buffer[2048];
    ssize_t n;
    do {
        n = ::read(fd.get(), buffer, sizeof buffer);
    } while (n < 0 && errno == EINTR);
    fd.reset();
    if (n > 0 && static_cast<std::size_t>(n) < sizeof buffer && buffer[n - 1] == '\n')
        return std::string(buffer, static_cast<std::size_t>(n));
    return readFileAt(dirfd, name);
}

std::optional<std::string> readLinkAt(int dirfd, const char* name) {
    if (dirfd < 0) return std::nullopt;
    char buffer[4096];
    ssize_t n = ::readlinkat(dirfd, name, buffer, sizeof buffer);
    if (n <= 0) return std::nullopt;
    return std::string(buffer, static_cast<std::size_t>(n));
}

// The "exe" link's target without the kernel's " (deleted)" mark, decoded.
std::optional<std::string> executablePathFromLink(std::optional<std::string> path) {
    if (!path) return std::nullopt;
    constexpr std::string_view deleted = " (deleted)";
    if (path->ends_with(deleted)) path->resize(path->size() - deleted.size());
    if (path->empty()) return std::nullopt;
    return decodeUtf8Lossy(*path);
}

// The "cwd" link's target, decoded.
std::optional<std::string> directoryFromLink(const std::optional<std::string>& path) {
    if (!path || path->empty()) return std::nullopt;
    return decodeUtf8Lossy(*path);
}

// "PID/name" below the procfs root.
struct PidPath {
    char text[48];
    PidPath(std::int32_t pid, std::string_view name) {
        auto [end, ec] = std::to_chars(text, text + 16, pid);
        *end++ = '/';
        std::memcpy(end, name.data(), name.size());
        end[name.size()] = '\0';
    }
};

bool isAllDigits(const char* name) {
    if (*name == '\0') return false;
    for (const char* c = name; *c; ++c)
        if (*c < '0' || *c > '9') return false;
    return true;
}

// Calls `visit(name)` for every all-digit entry of an open directory (borrowed: the caller
// keeps and closes it).
// Raw getdents64 rather than opendir: a scan lists hundreds of small directories, and the
// stream's extra fcntl calls and allocation cost more than the listing itself.
template <class Visit>
void forEachNumericEntry(int dirfd, Visit&& visit) {
    // On the stack: a thread_local array would be zeroed in full for every thread the
    // process starts (and at start-up), which costs more than the listings themselves.
    alignas(8) char buffer[32768];
    for (;;) {
        long n = ::syscall(SYS_getdents64, dirfd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        for (long offset = 0; offset < n;) {
            auto* entry = reinterpret_cast<const dirent64*>(buffer + offset);
            if (isAllDigits(entry->d_name)) visit(entry->d_name);
            offset += entry->d_reclen;
        }
    }
}

}  // namespace

std::optional<StatFields> parseStatLine(std::string_view line) {
    auto open = line.find('(');
    auto close = line.rfind(')');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open) return std::nullopt;

    StatFields fields;
    std::string_view pidText = line.substr(0, open);
    while (!pidText.empty() && pidText.back() == ' ') pidText.remove_suffix(1);
    auto pid = parseInt<std::int32_t>(pidText);
    if (!pid) return std::nullopt;
    fields.pid = *pid;
    fields.commandName = std::string(line.substr(open + 1, close - open - 1));

    // Fields after the name, numbered as in proc(5): state is field 3.
    std::vector<std::string_view> rest;
    rest.reserve(24);
    std::string_view tail = line.substr(close + 1);
    std::size_t pos = 0;
    while (pos < tail.size() && rest.size() < 22) {
        while (pos < tail.size() && (tail[pos] == ' ' || tail[pos] == '\n')) ++pos;
        std::size_t end = pos;
        while (end < tail.size() && tail[end] != ' ' && tail[end] != '\n') ++end;
        if (end > pos) rest.push_back(tail.substr(pos, end - pos));
        pos = end;
    }
    auto field = [&](int number) { return rest[static_cast<std::size_t>(number - 3)]; };
    if (rest.size() < 22 || field(3).size() != 1) return std::nullopt;
    fields.state = field(3)[0];
    auto ppid = parseInt<std::int32_t>(field(4));
    auto utime = parseInt<std::uint64_t>(field(14));
    auto stime = parseInt<std::uint64_t>(field(15));
    auto start = parseInt<std::uint64_t>(field(22));
    auto rss = parseInt<std::int64_t>(field(24));
    if (!ppid || !utime || !stime || !start || !rss) return std::nullopt;
    fields.parentPID = *ppid;
    fields.userTicks = *utime;
    fields.systemTicks = *stime;
    fields.startTicks = *start;
    fields.residentPages = *rss > 0 ? static_cast<std::uint64_t>(*rss) : 0;
    return fields;
}

std::optional<std::vector<std::string>> parseCmdline(std::string_view bytes) {
    std::vector<std::string> args;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        auto end = bytes.find('\0', pos);
        if (end == std::string_view::npos) end = bytes.size();
        args.push_back(decodeUtf8Lossy(bytes.substr(pos, end - pos)));
        pos = end + 1;
    }
    // A process that rewrote its title pads the rest of its old argument area with zero
    // bytes, which read as a run of empty arguments. Two or more at the end are that
    // padding; a single one may be a real empty argument and stays, as do those between.
    std::size_t trailingEmpty = 0;
    while (trailingEmpty < args.size() && args[args.size() - 1 - trailingEmpty].empty()) ++trailingEmpty;
    if (trailingEmpty >= 2 && trailingEmpty < args.size()) args.resize(args.size() - trailingEmpty);
    if (args.empty()) return std::nullopt;
    return args;
}

std::optional<std::uint64_t> parseBootTime(std::string_view procStat) {
    std::size_t pos = 0;
    while (pos < procStat.size()) {
        auto end = procStat.find('\n', pos);
        if (end == std::string_view::npos) end = procStat.size();
        std::string_view line = procStat.substr(pos, end - pos);
        if (line.starts_with("btime ")) {
            line.remove_prefix(6);
            while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
            return parseInt<std::uint64_t>(line);
        }
        pos = end + 1;
    }
    return std::nullopt;
}

std::uint64_t nanoseconds(std::uint64_t ticks, Timebase timebase) {
    if (timebase.numerator == 0 || timebase.denominator == 0 || timebase.numerator == timebase.denominator)
        return ticks;
    UInt128 scaled = static_cast<UInt128>(ticks) * timebase.numerator / timebase.denominator;
    return scaled > kMax64 ? kMax64 : static_cast<std::uint64_t>(scaled);
}

// ---- Libproc

struct Libproc::BootTime {
    std::once_flag once;
    std::uint64_t seconds = 0;
};

Libproc::Libproc(std::string procRoot)
    : root_(std::move(procRoot)),
      rootfd_(::open(root_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)),
      bootTime_(std::make_unique<BootTime>()) {}

Libproc::~Libproc() = default;

const Libproc& Libproc::live() {
    static const Libproc instance("/proc");
    return instance;
}

std::vector<std::int32_t> Libproc::allPIDs() const {
    std::vector<std::int32_t> pids;
    if (!rootfd_) return pids;
    const OwnedDescriptor fd(::openat(rootfd_.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd) return pids;
    pids.reserve(512);
    forEachNumericEntry(fd.get(), [&](const char* name) {
        if (auto pid = parseInt<std::int32_t>(name); pid && *pid >= 1) pids.push_back(*pid);
    });
    return pids;
}

std::optional<Libproc::Process> Libproc::open(std::int32_t pid) const {
    if (pid < 1 || !rootfd_) return std::nullopt;
    char name[16];
    auto [end, ec] = std::to_chars(name, name + sizeof name - 1, pid);
    *end = '\0';
    OwnedDescriptor fd(::openat(rootfd_.get(), name, O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!fd) return std::nullopt;
    return Process(this, pid, std::move(fd));
}

std::optional<BsdInfo> Libproc::bsdInfo(std::int32_t pid) const {
    auto process = open(pid);
    return process ? process->bsdInfo() : std::nullopt;
}

ProcessIdentity Libproc::startTime(std::uint64_t startTicks) const {
    const auto hz = static_cast<std::uint64_t>(clockTicksPerSecond());
    return ProcessIdentity{0, saturatingAdd(bootTimeSeconds(), startTicks / hz),
                           static_cast<std::uint32_t>((startTicks % hz) * 1'000'000ULL / hz)};
}

std::optional<std::string> Libproc::executablePath(std::int32_t pid) const {
    if (pid < 1) return std::nullopt;
    return executablePathFromLink(readLinkAt(rootfd_.get(), PidPath(pid, "exe").text));
}

std::optional<std::string> Libproc::commandName(std::int32_t pid) const {
    if (pid < 1) return std::nullopt;
    auto text = readStatAt(rootfd_.get(), PidPath(pid, "comm").text);  // one line, like stat
    if (!text) return std::nullopt;
    if (!text->empty() && text->back() == '\n') text->pop_back();
    return text;
}

std::optional<ProcessIdentity> Libproc::identity(std::int32_t pid) const {
    if (pid < 1 || !rootfd_) return std::nullopt;
    auto text = readStatAt(rootfd_.get(), PidPath(pid, "stat").text);
    auto fields = text ? parseStatLine(*text) : std::nullopt;
    if (!fields || fields->pid != pid) return std::nullopt;
    auto identity = startTime(fields->startTicks);
    identity.pid = pid;
    return identity;
}

std::optional<std::string> Libproc::currentWorkingDirectory(std::int32_t pid) const {
    // One readlink below the root rather than opening the process directory first.
    if (pid < 1) return std::nullopt;
    return directoryFromLink(readLinkAt(rootfd_.get(), PidPath(pid, "cwd").text));
}

std::uint64_t Libproc::bootTimeSeconds() const {
    std::call_once(bootTime_->once, [this] {
        if (auto text = readFileAt(rootfd_.get(), "stat")) bootTime_->seconds = parseBootTime(*text).value_or(0);
    });
    return bootTime_->seconds;
}

long Libproc::clockTicksPerSecond() {
    static const long ticks = [] {
        long t = ::sysconf(_SC_CLK_TCK);
        return t > 0 ? t : 100;
    }();
    return ticks;
}

long Libproc::pageSize() {
    static const long size = [] {
        long s = ::sysconf(_SC_PAGESIZE);
        return s > 0 ? s : 4096;
    }();
    return size;
}

Timebase Libproc::machTimebase() {
    return Timebase{1'000'000'000ULL, static_cast<std::uint64_t>(clockTicksPerSecond())};
}

// ---- Libproc::Process

Libproc::Process::Process(const Libproc* owner, std::int32_t pid, OwnedDescriptor dirfd)
    : owner_(owner), pid_(pid), dirfd_(std::move(dirfd)) {}

Libproc::Process::Process(Process&& other) noexcept = default;
Libproc::Process& Libproc::Process::operator=(Process&& other) noexcept = default;
Libproc::Process::~Process() = default;

std::optional<StatFields> Libproc::Process::stat() const {
    if (!stat_) {
        auto text = readStatAt(dirfd_.get(), "stat");
        stat_ = text ? parseStatLine(*text) : std::nullopt;
    }
    return *stat_;
}

std::optional<std::string> Libproc::Process::readLink(const char* name) const { return readLinkAt(dirfd_.get(), name); }

std::optional<BsdInfo> Libproc::Process::bsdInfo() const {
    auto fields = stat();
    if (!fields) return std::nullopt;
    // The directory's owner is the process's user; one fstat instead of parsing status.
    // A process that made itself non-dumpable shows root here and so counts as another
    // user's: it is never signalled, which is the safe side.
    struct stat st {};
    if (::fstat(dirfd_.get(), &st) != 0) return std::nullopt;

    BsdInfo info;
    info.pid = pid_;
    info.parentPID = fields->parentPID;
    info.uid = st.st_uid;
    info.commandName = fields->commandName;
    auto start = owner_->startTime(fields->startTicks);
    info.startTimeSeconds = start.startTimeSeconds;
    info.startTimeMicroseconds = start.startTimeMicroseconds;
    return info;
}

std::optional<TaskInfo> Libproc::Process::taskInfo() const {
    auto fields = stat();
    if (!fields) return std::nullopt;
    return TaskInfo{saturatingMul(fields->residentPages, static_cast<std::uint64_t>(pageSize())),
                    saturatingAdd(fields->userTicks, fields->systemTicks)};
}

std::optional<std::string> Libproc::Process::execPath() const { return executablePathFromLink(readLink("exe")); }

std::optional<std::string> Libproc::Process::currentWorkingDirectory() const {
    return directoryFromLink(readLink("cwd"));
}

std::optional<std::vector<std::string>> Libproc::Process::argv() const {
    auto bytes = readFileAt(dirfd_.get(), "cmdline");
    if (!bytes) return std::nullopt;
    return parseCmdline(*bytes);
}

bool Libproc::isInspectableProgram(std::int32_t pid) const {
    if (pid < 1 || !rootfd_) return false;
    char target[1];
    return ::readlinkat(rootfd_.get(), PidPath(pid, "exe").text, target, sizeof target) >= 0;
}

std::optional<std::optional<std::string>> Libproc::inspectableExecutablePath(std::int32_t pid) const {
    if (pid < 1 || !rootfd_) return std::nullopt;
    char target[4096];
    ssize_t n = ::readlinkat(rootfd_.get(), PidPath(pid, "exe").text, target, sizeof target);
    if (n < 0) return std::nullopt;
    return executablePathFromLink(n > 0 ? std::optional<std::string>(std::string(target, static_cast<std::size_t>(n)))
                                        : std::nullopt);
}

std::vector<RawListeningSocket> Libproc::listeningSockets(std::int32_t pid, const ListeningSocketTable& table) const {
    std::vector<RawListeningSocket> sockets;
    for (const auto inode : listeningSocketInodes(pid, table))
        if (const RawListeningSocket* socket = table.find(inode)) sockets.push_back(*socket);
    return sockets;
}

std::vector<std::uint64_t> Libproc::listeningSocketInodes(std::int32_t pid, const ListeningSocketTable& table) const {
    if (table.empty() || pid < 1 || !rootfd_) return {};
    return inodesInFdDirectory(
        OwnedDescriptor(::openat(rootfd_.get(), PidPath(pid, "fd").text, O_RDONLY | O_DIRECTORY | O_CLOEXEC)), table);
}

std::vector<std::uint64_t> Libproc::inodesInFdDirectory(OwnedDescriptor fdDirectory, const ListeningSocketTable& table) {
    std::vector<std::uint64_t> inodes;
    if (!fdDirectory) return inodes;
    constexpr std::string_view prefix = "socket:[";
    std::vector<std::pair<int, std::uint64_t>> found;
    forEachNumericEntry(fdDirectory.get(), [&](const char* name) {
        char target[64];
        ssize_t n = ::readlinkat(fdDirectory.get(), name, target, sizeof target);
        if (n <= static_cast<ssize_t>(prefix.size()) + 1) return;
        std::string_view link(target, static_cast<std::size_t>(n));
        if (!link.starts_with(prefix) || link.back() != ']') return;
        auto inode = parseInt<std::uint64_t>(link.substr(prefix.size(), link.size() - prefix.size() - 1));
        if (inode && table.find(*inode)) found.emplace_back(parseInt<int>(name).value_or(0), *inode);
    });
    // The kernel lists descriptors in ascending order already; sorting keeps that promise
    // independent of it.
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    inodes.reserve(found.size());
    for (const auto& [descriptor, inode] : found) inodes.push_back(inode);
    return inodes;
}

}  // namespace quaylight
