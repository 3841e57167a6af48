#pragma once
// SIGTERM, SIGINT and SIGHUP (a kill, Ctrl+C, the end of the session) end the application
// the orderly way: the handler only writes one byte to a socket pair, and the GUI thread,
// woken by it, calls `onSignal`, which quits the event loop so the termination order runs.
// The handlers are installed first thing, before Qt starts; a signal that arrives before
// the event loop watches the pair waits in it and is acted on as soon as the loop runs.

#include <functional>

#include <QObject>

#include "ProcessCoreKit/support/OwnedDescriptor.h"

class QSocketNotifier;

namespace quaylight {

class TerminationSignals : public QObject {
    Q_OBJECT

public:
    TerminationSignals();
    ~TerminationSignals() override;

    // Needs the QCoreApplication: from now on each signal calls `onSignal` on its thread.
    void watch(std::function<void()> onSignal);
    // Before the QCoreApplication goes; signals then wait in the pair unanswered.
    void stopWatching();

    // False when the socket pair or a handler could not be set up (the signals then keep
    // their default action).
    bool isInstalled() const { return installed_; }

private:
    // The pair: the handler writes to the first end, the GUI thread reads the second.
    OwnedDescriptor signalledEnd_;
    OwnedDescriptor watchedEnd_;
    std::function<void()> onSignal_;
    QSocketNotifier* notifier_ = nullptr;
    bool installed_ = false;
};

}  // namespace quaylight
