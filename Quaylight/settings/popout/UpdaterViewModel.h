#pragma once
// What the updates card reads of the updater: whether a check may start now, kept current
// from the updater's own signal, the check itself, and what the last check found (on
// request or weekly), kept while the application runs so a settings popout opened later
// still shows it. Made once by the application; it switches automatic downloads off and
// sets the weekly check interval.

#include <QObject>
#include <optional>

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
    // The last check's result, or nothing before the first check ends.
    const std::optional<Updater::CheckResult>& lastResult() const { return lastResult_; }

signals:
    void canCheckForUpdatesChanged(bool canCheck);
    void lastResultChanged();

private:
    void setCanCheck(bool canCheck);

    Updater& updater_;
    bool canCheckForUpdates_ = false;
    std::optional<Updater::CheckResult> lastResult_;
};

}  // namespace quaylight
