#include "tests/Quaylight/shell/support/XvfbServer.h"

#include <QProcess>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace quaylight::testsupport {

XvfbServer::XvfbServer() {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) {
        failure_ = "pipe failed";
        return;
    }
    // The write end stays open in the child (no O_CLOEXEC); the read end does not.
    ::fcntl(pipeEnds[0], F_SETFD, FD_CLOEXEC);
    const std::string fd = std::to_string(pipeEnds[1]);
    std::vector<std::string> words{"Xvfb", "-displayfd", fd, "-nolisten", "tcp", "-screen", "0", "800x600x24", "-noreset"};
    std::vector<char*> argv;
    for (auto& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const int spawned = posix_spawnp(&pid_, "Xvfb", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    if (spawned != 0) {
        pid_ = -1;
        ::close(pipeEnds[0]);
        failure_ = "Xvfb could not be started (is the xvfb package installed?)";
        return;
    }
    std::string number;
    char c = 0;
    while (true) {
        const ssize_t n = ::read(pipeEnds[0], &c, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0 || c == '\n') break;
        number += c;
    }
    ::close(pipeEnds[0]);
    if (number.empty()) {
        failure_ = "Xvfb did not report a display";
        return;
    }
    display_ = QStringLiteral(":") + QString::fromStdString(number);
}

XvfbServer::~XvfbServer() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
}

QProcessEnvironment XvfbServer::environment() const {
    auto environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), display_);
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    return environment;
}

XvfbServer::Result XvfbServer::run(const QString& program, const QStringList& arguments) const {
    QProcess process;
    process.setProcessEnvironment(environment());
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    Result result;
    if (!process.waitForStarted(10000)) {
        result.output = program + QStringLiteral(" could not be started");
        return result;
    }
    process.waitForFinished(30000);
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.output = QString::fromLocal8Bit(process.readAll());
    return result;
}

}  // namespace quaylight::testsupport
