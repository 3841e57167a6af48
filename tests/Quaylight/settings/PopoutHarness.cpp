#include "PopoutHarness.h"

#include <QDir>
#include <QFile>
#include <QTimeZone>
#include <algorithm>
#include <cstdlib>

#include "QuaylightKit/platform/XdgAutostartLoginItem.h"

namespace quaylight::test {

PopoutHarness::PopoutHarness(PopoutOptions opts) : options(std::move(opts)) {
    QDir().mkpath(QString::fromStdString(configHome() + "/Quaylight"));
    if (!options.settingsFile.empty()) {
        QFile file(QString::fromStdString(settingsPath()));
        file.open(QIODevice::WriteOnly);
        file.write(options.settingsFile.data(), qint64(options.settingsFile.size()));
    }
    defaults = std::make_shared<SettingsFileUserDefaults>(settingsPath());
    std::unique_ptr<LoginItem> item;
    if (options.realAutostart) {
        item = std::make_unique<XdgAutostartLoginItem>(InstalledExecutable::path(), configHome());
    } else {
        auto fake = std::make_unique<FakeLoginItem>();
        // Opening the settings makes the folder first: keep it inside the temporary home.
        fake->location = configHome() + "/autostart";
        fakeItem = fake.get();
        item = std::move(fake);
    }
    launchAtLogin = std::make_unique<LaunchAtLoginManager>(std::move(item), [this](const QUrl& url) {
        openedUrls.push_back(url);
        events.push_back("open " + url.toString().toStdString());
        return true;
    });
    AgentProviderConnectionStore::Dependencies storeDependencies;
    storeDependencies.homeDirectory = homePath();
    storeDependencies.bundlePath = options.bundlePath;
    connections = std::make_unique<AgentProviderConnectionStore>(defaults, storeDependencies);
    auto grab = std::make_unique<FakeKeyGrabBackend>();
    keyGrab = grab.get();
    shortcut = std::make_unique<GlobalShortcutManager>(*defaults, std::move(grab));
    shortcut->start([this] { events.push_back("shortcut"); });
    updater.canCheck = options.feed;
    updaterModel = std::make_unique<UpdaterViewModel>(updater);
    showSystemValue = options.showSystem;
}

PopoutHarness::~PopoutHarness() {
    view.reset();
    updaterModel.reset();
    shortcut.reset();
}

void PopoutHarness::useFeed(const QString& address) {
    options.feed = true;
    updaterModel.reset();
    feedUpdater = std::make_unique<FeedUpdater>(FeedUpdater::Dependencies{
        address, QString::fromStdString(options.version.value_or("1.4.0")), defaults.get(),
        [] { return QDateTime(QDate(2026, 12, 10), QTime(12, 0), QTimeZone::utc()); }});
    // It checks only when the card asks.
    feedUpdater->setAutomaticallyChecksForUpdates(false);
    updaterModel = std::make_unique<UpdaterViewModel>(*feedUpdater);
}

void PopoutHarness::build() {
    SettingsPopoutView::Dependencies deps;
    deps.defaults = defaults.get();
    deps.launchAtLogin = launchAtLogin.get();
    deps.connections = connections.get();
    deps.shortcut = shortcut.get();
    deps.updater = updaterModel.get();
    deps.updateFeedConfigured = options.feed;
    deps.supportAddress = options.supportAddress;
    deps.version = options.version;
    deps.osName = std::string("Debian GNU/Linux 12 (bookworm)");
    deps.openUrl = [this](const QUrl& url) {
        openedUrls.push_back(url);
        events.push_back("mail");
        return true;
    };
    deps.formatTime = [](WallTime) { return QStringLiteral("3:04 PM"); };
    deps.installedPath = InstalledExecutable::path();
    deps.installedFolder = InstalledExecutable::folder();
    SettingsPopoutView::Callbacks callbacks;
    callbacks.onDisplaySettingsChange = [this] { events.push_back("display"); };
    callbacks.onReplayWalkthrough = [this] { events.push_back("replay"); };
    callbacks.quit = [this] { events.push_back("quit"); };
    callbacks.close = [this] { events.push_back("close"); };
    callbacks.setShowSystem = [this](bool on) {
        showSystemValue = on;
        events.push_back("showSystem");
    };
    view = std::make_unique<SettingsPopoutView>(deps, callbacks, showSystemValue, QStringLiteral("Scanned 3:04:05 PM"));
    view->resize(668, 480);
}

QVariant PopoutHarness::stored(const char* groupAndKey) const {
    // The write the change queued for the event loop, now.
    defaults->synchronize();
    QSettings fresh(QString::fromStdString(settingsPath()), QSettings::IniFormat);
    return fresh.value(QString::fromUtf8(groupAndKey));
}

int PopoutHarness::count(const std::string& event) const {
    return int(std::count(events.begin(), events.end(), event));
}

}  // namespace quaylight::test
