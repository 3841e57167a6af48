#include "Quaylight/settings/popout/UpdaterViewModel.h"

namespace quaylight {

UpdaterViewModel::UpdaterViewModel(Updater& updater, QObject* parent) : QObject(parent), updater_(updater) {
    canCheckForUpdates_ = updater_.canCheckForUpdates();
    if (updater_.automaticallyDownloadsUpdates()) updater_.setAutomaticallyDownloadsUpdates(false);
    updater_.setUpdateCheckInterval(checkInterval);
    connect(&updater_, &Updater::canCheckForUpdatesChanged, this, [this](bool canCheck) { setCanCheck(canCheck); });
    connect(&updater_, &Updater::checkFinished, this, [this](const Updater::CheckResult& result) {
        lastResult_ = result;
        emit lastResultChanged();
    });
    setCanCheck(updater_.canCheckForUpdates());
}

void UpdaterViewModel::checkForUpdates() {
    if (updater_.canCheckForUpdates()) updater_.checkForUpdates();
}

void UpdaterViewModel::setCanCheck(bool canCheck) {
    if (canCheck == canCheckForUpdates_) return;
    canCheckForUpdates_ = canCheck;
    emit canCheckForUpdatesChanged(canCheck);
}

}  // namespace quaylight
