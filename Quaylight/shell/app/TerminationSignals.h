#pragma once
// SIGTERM, SIGINT and SIGHUP (a kill, Ctrl+C, the end of the session) end the application
// the orderly way: the handler only writes one byte to a socket pair, and the GUI thread,
// woken by it, calls `onSignal`, which quits the event loop so the termination order runs.

#include <functional>

#include <QObject>

class QSocketNotifier;

namespace quaylight {

class TerminationSignals : public QObject {
    Q_OBJECT

public:
    explicit TerminationSignals(std::function<void()> onSignal, QObject* parent = nullptr);
    ~TerminationSignals() override;

    // False when the socket pair or a handler could not be set up (the signals then keep
    // their default action).
    bool isInstalled() const { return installed_; }

private:
    std::function<void()> onSignal_;
    QSocketNotifier* notifier_ = nullptr;
    bool installed_ = false;
};

}  // namespace quaylight
