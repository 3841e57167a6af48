#pragma once
// The updater over a release feed (an RSS appcast): fetches the feed, takes the newest
// item's version and compares it with the running version. Checks on request and, while
// automatic checks are on, whenever the check interval (a week by default) has passed since
// the last check, remembered across launches in the settings ("updates.lastCheckTime").
// With an empty feed address nothing can be checked.

#include <QDateTime>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <optional>

#include "QuaylightKit/platform/UserDefaults.h"
#include "Quaylight/shell/platform/Updater.h"

class QNetworkAccessManager;
class QNetworkReply;

namespace quaylight {

class FeedUpdater final : public Updater {
    Q_OBJECT
public:
    struct Environment {
        QString feedAddress;      // empty: updates unavailable
        QString currentVersion;   // the running application's version
        UserDefaults* defaults = nullptr;
        std::function<QDateTime()> now;  // unset: the system clock
    };

    // The feed address this build was configured with (QUAYLIGHT_UPDATE_FEED), empty when
    // none.
    static QString configuredFeedAddress();

    explicit FeedUpdater(Environment environment, QObject* parent = nullptr);
    ~FeedUpdater() override;

    bool canCheckForUpdates() const override;
    void checkForUpdates() override;
    bool automaticallyChecksForUpdates() const override { return automatic_; }
    void setAutomaticallyChecksForUpdates(bool on) override;
    std::chrono::seconds updateCheckInterval() const override { return interval_; }
    void setUpdateCheckInterval(std::chrono::seconds interval) override;

    bool hasFeed() const { return feed_.isValid() && !feed_.isEmpty(); }
    // When the next automatic check is due, or nothing while automatic checks are off.
    std::optional<QDateTime> nextScheduledCheck() const;

private:
    void startCheck();
    void finishCheck(QNetworkReply* reply);
    void schedule();
    void setChecking(bool checking);
    QDateTime now() const;

    Environment environment_;
    QUrl feed_;
    bool automatic_ = true;
    std::chrono::seconds interval_{604800};
    bool checking_ = false;
    QNetworkAccessManager* network_ = nullptr;
    QTimer timer_;
};

}  // namespace quaylight
