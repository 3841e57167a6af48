#pragma once
// What the updates card reads of the updater: whether a check may start now, kept current
// from the updater's own signal, and the check itself. Made once by the application; it
// switches automatic downloads off and sets the weekly check interval.

#include <QObject>

#include "Quaylight/shell/platform/Updater.h"

namespace quaylight {

class UpdaterViewModel : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::seconds checkInterval{604800};

    explicit UpdaterViewModel(Updater& updater, QObject* parent = nullptr);

    bool canCheckForUpdates() const { return canCheckForUpdates_; }
    // Starts a check when the updater can start one at this moment; otherwise nothing.
    void checkForUpdates();
    Updater& updater() { return updater_; }

signals:
    void canCheckForUpdatesChanged(bool canCheck);

private:
    void setCanCheck(bool canCheck);

    Updater& updater_;
    bool canCheckForUpdates_ = false;
};

}  // namespace quaylight
