#pragma once
// Update checks. This build only checks: it never downloads or installs anything, and it
// tells the user what it found. Without a feed address there is nothing to check.

#include <QMetaType>
#include <QObject>
#include <QString>
#include <chrono>

namespace quaylight {

class Updater : public QObject {
    Q_OBJECT
public:
    struct CheckResult {
        enum class Kind { upToDate, updateAvailable, failed };
        Kind kind = Kind::failed;
        QString latestVersion;  // updateAvailable: the feed's newest version
        QString link;           // updateAvailable: where the release is described, if given
        QString failure;        // failed: what went wrong, a sentence
    };

    using QObject::QObject;
    ~Updater() override = default;

    // Whether a check may start now (false without a feed, and while a check runs).
    virtual bool canCheckForUpdates() const = 0;
    // A check on the user's request; ignored when a check may not start.
    virtual void checkForUpdates() = 0;

    virtual bool automaticallyChecksForUpdates() const = 0;
    virtual void setAutomaticallyChecksForUpdates(bool on) = 0;
    virtual std::chrono::seconds updateCheckInterval() const = 0;
    virtual void setUpdateCheckInterval(std::chrono::seconds interval) = 0;
    // Downloads are never made; the setter exists so callers can switch them off.
    virtual bool automaticallyDownloadsUpdates() const { return false; }
    virtual void setAutomaticallyDownloadsUpdates(bool) {}

signals:
    void canCheckForUpdatesChanged(bool canCheck);
    void checkFinished(const quaylight::Updater::CheckResult& result);
};

}  // namespace quaylight

Q_DECLARE_METATYPE(quaylight::Updater::CheckResult)
