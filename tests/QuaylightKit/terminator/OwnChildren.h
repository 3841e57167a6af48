#pragma once
// Real processes for the terminator's tests, and the guard that keeps those tests from
// ever signalling anything else: CI runs as root, where a wrong PID could stop anything.

#include <gtest/gtest.h>

#include <unistd.h>

#include <climits>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "ProcessCoreKit/reader/ProcessReader.h"
#include "QuaylightKit/engine/PortEngine.h"
#include "QuaylightKit/terminator/ListenerTerminator.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"

namespace quaylight::testsupport {

// A PID no process has (above any pid_max): "self" for the terminator under test, so that
// the test process and its children are neither itself nor launched by it.
constexpr std::int32_t kNobodysPID = INT32_MAX;

// Whether `pid` descends from this test process (its child, grandchild, ...).
inline bool isOwnDescendant(std::int32_t pid) {
    const ProcessReader reader;
    const auto self = static_cast<std::int32_t>(::getpid());
    for (int step = 0; step < 8 && pid > 1; ++step) {
        auto snapshot = reader.liveResolveSnapshot(pid);
        if (!snapshot || !snapshot->parentPID) return false;
        if (*snapshot->parentPID == self) return true;
        pid = *snapshot->parentPID;
    }
    return false;
}

// One of the test's own children, started from the fixture program (or a copy of it under
// another name), with the ports and workers it reported.
struct OwnChild {
    ChildProcess process;
    ProcessIdentity identity;
    std::vector<int> ports;
    std::vector<int> workers;

    std::int32_t pid() const { return process.pid(); }
};

// `program`: a copy of the fixture to run instead (its name decides what it looks like).
inline OwnChild spawnOwnChild(std::vector<std::string> arguments, std::optional<std::string> program = std::nullopt,
                              bool expectWorkers = false, std::optional<std::string> argv0 = std::nullopt) {
    const std::string executable = program.value_or(fixtureProcessPath());
    std::vector<std::string> argv{argv0.value_or(executable)};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    auto process = ChildProcess::spawn(argv, executable);
    auto ports = numbersAfter(process.readLine(), "ports");
    std::vector<int> workers;
    if (expectWorkers) workers = numbersAfter(process.readLine(), "workers");
    auto live = ProcessReader{}.liveResolveSnapshot(process.pid());
    if (!live) throw std::runtime_error("the child vanished");
    return OwnChild{std::move(process), live->identity, std::move(ports), std::move(workers)};
}

// A copy of the fixture program at `relative` below `dir`.
inline std::string fixtureCopy(const TempDir& dir, const std::string& relative) {
    auto path = dir / relative;
    std::filesystem::create_directories(path.parent_path());
    std::filesystem::copy_file(fixtureProcessPath(), path);
    return path.string();
}

// The live machine, where the scan's and the pool search's "self" is nobody.
inline PortEngine engineWithoutSelf() {
    auto dependencies = PortEngineDependencies::live();
    dependencies.currentPID = [] { return kNobodysPID; };
    return PortEngine(std::move(dependencies));
}

inline ProcessSafetyClassifier::Context contextWithoutSelf() {
    return {kNobodysPID, static_cast<std::uint32_t>(::getuid())};
}

// A terminator that signals for real, on the live machine seen without this process.
inline ListenerTerminator terminatorWithoutSelf() {
    return ListenerTerminator(engineWithoutSelf(), contextWithoutSelf(), ProcessSignaller::live());
}

// Whether a process is gone or a zombie (signalled, but not yet reaped by its parent).
inline bool hasEnded(std::int32_t pid) {
    auto live = ProcessReader{}.liveResolveSnapshot(pid);
    return !live || !live->executablePath;  // a zombie's program can no longer be read
}

// Waits (in real time, up to ten seconds) until `pid` has ended.
inline bool waitUntilEnded(std::int32_t pid) {
    for (int i = 0; i < 1000; ++i) {
        if (hasEnded(pid)) return true;
        ::usleep(10'000);
    }
    return false;
}

}  // namespace quaylight::testsupport
