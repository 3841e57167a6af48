#include "tests/Quaylight/agent-hooks/support/RelayProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace quaylight::testsupport {

RelayExit runRelay(const std::vector<std::string>& arguments, const std::string& input, const std::string& home,
                   const std::string& runtimeDirectory) {
    signal(SIGPIPE, SIG_IGN);  // the relay may exit without reading all of its input
    int toChild[2];
    if (pipe2(toChild, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toChild[0], STDIN_FILENO);

    std::vector<std::string> argv{QUAYLIGHT_EXECUTABLE, "agent-event"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<char*> args;
    for (auto& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    std::vector<std::string> env{"HOME=" + home, "XDG_RUNTIME_DIR=" + runtimeDirectory, "PATH=/usr/bin:/bin"};
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);

    pid_t pid = -1;
    int rc = posix_spawn(&pid, QUAYLIGHT_EXECUTABLE, &actions, nullptr, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(toChild[0]);
    if (rc != 0) {
        close(toChild[1]);
        throw std::runtime_error("cannot start the relay");
    }
    std::size_t written = 0;
    while (written < input.size()) {
        ssize_t n = write(toChild[1], input.data() + written, input.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;  // the relay stopped reading
        written += static_cast<std::size_t>(n);
    }
    close(toChild[1]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return {WIFEXITED(status), WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

}  // namespace quaylight::testsupport
