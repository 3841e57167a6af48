#pragma once
// A real child process for tests: started with posix_spawn, its standard input and output
// connected to pipes; it ends when the handle closes its input, and is killed and reaped
// when the handle goes away.

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace quaylight::testsupport {

class ChildProcess {
public:
    // argv[0] is the program path; `executable` when set is run instead of argv[0], so
    // the child can be given an argv of the test's choosing.
    static ChildProcess spawn(const std::vector<std::string>& argv, std::optional<std::string> executable = {},
                              std::optional<std::string> workingDirectory = {});
    ChildProcess(ChildProcess&&) noexcept;
    ChildProcess& operator=(ChildProcess&&) = delete;
    ~ChildProcess();

    pid_t pid() const { return pid_; }
    // The next line of its standard output (without the newline); empty at end of file.
    std::string readLine();
    // Closes its standard input and waits for it to exit; returns the wait status.
    int finish();
    // Sends a signal and waits for it to exit; returns the wait status.
    int killAndWait(int signal);
    // Whether it has exited (reaps it if so).
    bool hasExited();

private:
    ChildProcess(pid_t pid, int input, int output) : pid_(pid), input_(input), output_(output) {}
    pid_t pid_ = -1;
    int input_ = -1;
    int output_ = -1;
    std::optional<int> status_;
    std::string buffered_;
};

// The fixture program (listening sockets, workers, CPU load); see fixture_process.cpp.
std::string fixtureProcessPath();
// Splits "ports 1 2 3" into its numbers.
std::vector<int> numbersAfter(const std::string& line, const std::string& label);

}  // namespace quaylight::testsupport
