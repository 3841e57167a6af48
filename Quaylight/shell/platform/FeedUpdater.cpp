#include "Quaylight/shell/platform/FeedUpdater.h"

#include <QNetworkAccessManager>
#include <QTimeZone>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <algorithm>
#include <climits>

#include "Quaylight/shell/defaults/SettingsKeys.h"
#include "Quaylight/shell/platform/UpdateFeed.h"

#ifndef QUAYLIGHT_UPDATE_FEED
#define QUAYLIGHT_UPDATE_FEED ""
#endif

namespace quaylight {

QString FeedUpdater::configuredFeedAddress() { return QString::fromUtf8(QUAYLIGHT_UPDATE_FEED); }

FeedUpdater::FeedUpdater(Environment environment, QObject* parent) : Updater(parent), environment_(std::move(environment)) {
    if (!environment_.feedAddress.isEmpty()) feed_ = QUrl(environment_.feedAddress, QUrl::StrictMode);
    if (hasFeed()) network_ = new QNetworkAccessManager(this);
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, [this] {
        if (canCheckForUpdates()) startCheck();
    });
    schedule();
}

FeedUpdater::~FeedUpdater() = default;

QDateTime FeedUpdater::now() const { return environment_.now ? environment_.now() : QDateTime::currentDateTimeUtc(); }

bool FeedUpdater::canCheckForUpdates() const { return hasFeed() && !checking_; }

void FeedUpdater::checkForUpdates() {
    if (canCheckForUpdates()) startCheck();
}

void FeedUpdater::setAutomaticallyChecksForUpdates(bool on) {
    automatic_ = on;
    schedule();
}

void FeedUpdater::setUpdateCheckInterval(std::chrono::seconds interval) {
    interval_ = std::max(interval, std::chrono::seconds(3600));
    schedule();
}

std::optional<QDateTime> FeedUpdater::nextScheduledCheck() const {
    if (!hasFeed() || !automatic_) return std::nullopt;
    std::optional<double> last;
    if (environment_.defaults != nullptr) last = environment_.defaults->doubleValue(SettingsKeys::updatesLastCheckTime);
    // Never checked (or a clock set back past the last check): due now.
    if (!last) return now();
    const QDateTime due = QDateTime::fromSecsSinceEpoch(static_cast<qint64>(*last), QTimeZone::utc()).addSecs(interval_.count());
    if (due > now().addSecs(interval_.count())) return now();
    return due;
}

void FeedUpdater::schedule() {
    timer_.stop();
    auto due = nextScheduledCheck();
    if (!due) return;
    const qint64 wait = std::clamp<qint64>(now().msecsTo(*due), 0, INT_MAX);
    timer_.start(static_cast<int>(wait));
}

void FeedUpdater::setChecking(bool checking) {
    const bool could = canCheckForUpdates();
    checking_ = checking;
    if (could != canCheckForUpdates()) emit canCheckForUpdatesChanged(canCheckForUpdates());
}

void FeedUpdater::startCheck() {
    timer_.stop();
    setChecking(true);
    QNetworkRequest request(feed_);
    request.setTransferTimeout(30000);
    QNetworkReply* reply = network_->get(request);
    connect(reply, &QNetworkReply::finished, this, [this, reply] { finishCheck(reply); });
}

void FeedUpdater::finishCheck(QNetworkReply* reply) {
    reply->deleteLater();
    if (environment_.defaults != nullptr)
        environment_.defaults->set(SettingsKeys::updatesLastCheckTime,
                                   UserDefaults::Value(static_cast<double>(now().toSecsSinceEpoch())));
    CheckResult result;
    const QString where = feed_.toDisplayString();
    if (reply->error() != QNetworkReply::NoError) {
        result.failure = QStringLiteral("Quaylight couldn't read its update feed (%1).").arg(where);
    } else if (auto newest = UpdateFeed::newestRelease(reply->readAll())) {
        if (UpdateFeed::compareVersions(newest->version, environment_.currentVersion) > 0) {
            result.kind = CheckResult::Kind::updateAvailable;
            result.latestVersion = newest->version;
            result.link = newest->link;
        } else {
            result.kind = CheckResult::Kind::upToDate;
            result.latestVersion = newest->version;
        }
    } else {
        result.failure = QStringLiteral("The update feed (%1) lists no release Quaylight can read.").arg(where);
    }
    setChecking(false);
    emit checkFinished(result);
    schedule();
}

}  // namespace quaylight
