#include "tests/support/ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <sstream>
#include <stdexcept>
#include <utility>

extern char** environ;

namespace quaylight::testsupport {

ChildProcess ChildProcess::spawn(const std::vector<std::string>& argv, std::optional<std::string> executable,
                                 std::optional<std::string> workingDirectory) {
    int toChild[2], fromChild[2];
    if (pipe2(toChild, O_CLOEXEC) != 0 || pipe2(fromChild, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toChild[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fromChild[1], STDOUT_FILENO);
    if (workingDirectory) posix_spawn_file_actions_addchdir_np(&actions, workingDirectory->c_str());
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = -1;
    const std::string& program = executable ? *executable : argv.at(0);
    int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(toChild[0]);
    close(fromChild[1]);
    if (rc != 0) {
        close(toChild[1]);
        close(fromChild[0]);
        throw std::runtime_error("spawn " + program + " failed");
    }
    return ChildProcess(pid, toChild[1], fromChild[0]);
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : pid_(other.pid_), input_(other.input_), output_(other.output_), status_(other.status_),
      buffered_(std::move(other.buffered_)) {
    other.pid_ = -1;
    other.input_ = other.output_ = -1;
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0 && !status_) killAndWait(SIGKILL);
    if (input_ >= 0) close(input_);
    if (output_ >= 0) close(output_);
}

std::string ChildProcess::readLine() {
    for (;;) {
        auto newline = buffered_.find('\n');
        if (newline != std::string::npos) {
            std::string line = buffered_.substr(0, newline);
            buffered_.erase(0, newline + 1);
            return line;
        }
        char chunk[256];
        ssize_t n = read(output_, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return std::exchange(buffered_, {});
        buffered_.append(chunk, static_cast<std::size_t>(n));
    }
}

int ChildProcess::finish() {
    if (input_ >= 0) {
        close(input_);
        input_ = -1;
    }
    if (!status_) {
        int status = 0;
        while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        status_ = status;
    }
    return *status_;
}

int ChildProcess::killAndWait(int signal) {
    if (!status_) ::kill(pid_, signal);
    return finish();
}

bool ChildProcess::hasExited() {
    if (status_) return true;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) status_ = status;
    return status_.has_value();
}

std::string fixtureProcessPath() { return QUAYLIGHT_FIXTURE_PROCESS; }

std::vector<int> numbersAfter(const std::string& line, const std::string& label) {
    std::istringstream in(line);
    std::string word;
    in >> word;
    if (word != label) throw std::runtime_error("expected '" + label + "', got: " + line);
    std::vector<int> numbers;
    int n;
    while (in >> n) numbers.push_back(n);
    return numbers;
}

}  // namespace quaylight::testsupport
