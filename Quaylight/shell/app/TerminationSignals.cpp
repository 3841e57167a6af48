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

// The handler's borrowed copy of the end it writes to; -1 while no pair is installed.
int gSignalledEnd = -1;
constexpr std::array<int, 3> kSignals{SIGTERM, SIGINT, SIGHUP};

void onTerminationSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const auto written = send(gSignalledEnd, &byte, 1, MSG_DONTWAIT | MSG_NOSIGNAL);
    errno = saved;
}

}  // namespace

TerminationSignals::TerminationSignals() {
    std::array<int, 2> ends{-1, -1};
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, ends.data()) != 0) return;
    signalledEnd_.reset(ends[0]);
    watchedEnd_.reset(ends[1]);
    gSignalledEnd = signalledEnd_.get();
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    installed_ = true;
    for (const int number : kSignals) installed_ = sigaction(number, &action, nullptr) == 0 && installed_;
}

void TerminationSignals::watch(std::function<void()> onSignal) {
    onSignal_ = std::move(onSignal);
    if (!watchedEnd_ || notifier_) return;
    notifier_ = new QSocketNotifier(watchedEnd_.get(), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        char buffer[16];
        while (read(watchedEnd_.get(), buffer, sizeof buffer) > 0) {
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
    gSignalledEnd = -1;
    // The pair closes with its owners, after the handlers and the notifier are gone.
}

}  // namespace quaylight
