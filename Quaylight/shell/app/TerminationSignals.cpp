#include "Quaylight/shell/app/TerminationSignals.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>

#include <QSocketNotifier>

namespace quaylight {

namespace {

std::array<int, 2> gPipe{-1, -1};
constexpr std::array<int, 3> kSignals{SIGTERM, SIGINT, SIGHUP};

void onTerminationSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const auto written = send(gPipe[0], &byte, 1, MSG_DONTWAIT | MSG_NOSIGNAL);
    errno = saved;
}

}  // namespace

TerminationSignals::TerminationSignals() {
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, gPipe.data()) != 0) return;
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    installed_ = true;
    for (const int number : kSignals) installed_ = sigaction(number, &action, nullptr) == 0 && installed_;
}

void TerminationSignals::watch(std::function<void()> onSignal) {
    onSignal_ = std::move(onSignal);
    if (gPipe[1] < 0 || notifier_) return;
    notifier_ = new QSocketNotifier(gPipe[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        char buffer[16];
        while (read(gPipe[1], buffer, sizeof buffer) > 0) {
        }
        if (onSignal_) onSignal_();
    });
}

void TerminationSignals::stopWatching() {
    delete notifier_;
    notifier_ = nullptr;
    onSignal_ = nullptr;
}

TerminationSignals::~TerminationSignals() {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (const int number : kSignals) sigaction(number, &action, nullptr);
    stopWatching();
    for (int& fd : gPipe) {
        if (fd >= 0) close(fd);
        fd = -1;
    }
}

}  // namespace quaylight
