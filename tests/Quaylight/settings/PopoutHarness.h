#pragma once
// A settings popout on real stores: the settings file in a temporary XDG config home (also
// the temporary HOME), a login item in memory or the real autostart entry, the connection
// store on that HOME, the global shortcut on a fake key grab, and an updater in memory.
// Every callback is counted, in the order it came.

#include <QSettings>
#include <QTemporaryDir>
#include <memory>
#include <string>
#include <vector>

#include "Quaylight/agent-hooks/connections/AgentProviderConnectionStore.h"
#include "Quaylight/agent-hooks/paths/InstalledExecutable.h"
#include "Quaylight/settings/popout/SettingsPopoutView.h"
#include "Quaylight/settings/popout/UpdaterViewModel.h"
#include "Quaylight/shell/defaults/SettingsFileUserDefaults.h"
#include "Quaylight/shell/platform/FeedUpdater.h"
#include "Quaylight/shell/platform/LaunchAtLoginManager.h"
#include "Quaylight/shell/shortcut/FakeKeyGrabBackend.h"
#include "Quaylight/shell/shortcut/GlobalShortcutManager.h"
#include "QuaylightKit/platform/FakeLoginItem.h"

namespace quaylight::test {

class FakeUpdater final : public Updater {
public:
    bool canCheck = false;
    int checks = 0;
    bool downloads = true;
    std::chrono::seconds interval{3600};
    bool canCheckForUpdates() const override { return canCheck; }
    void checkForUpdates() override { ++checks; }
    bool automaticallyChecksForUpdates() const override { return true; }
    void setAutomaticallyChecksForUpdates(bool) override {}
    std::chrono::seconds updateCheckInterval() const override { return interval; }
    void setUpdateCheckInterval(std::chrono::seconds value) override { interval = value; }
    bool automaticallyDownloadsUpdates() const override { return downloads; }
    void setAutomaticallyDownloadsUpdates(bool on) override { downloads = on; }
    void setCanCheck(bool value) {
        canCheck = value;
        emit canCheckForUpdatesChanged(value);
    }
};

struct PopoutOptions {
    // Written as the settings file before anything reads it.
    std::string settingsFile;
    // The real autostart entry in the temporary config home instead of the fake item.
    bool realAutostart = false;
    std::string supportAddress;
    std::optional<std::string> version = std::string("1.4.0");
    bool feed = false;
    bool showSystem = false;
    std::string bundlePath = InstalledExecutable::path();
};

class PopoutHarness {
public:
    explicit PopoutHarness(PopoutOptions options = {});
    ~PopoutHarness();

    std::string homePath() const { return home.path().toStdString(); }
    std::string configHome() const { return homePath() + "/config"; }
    std::string settingsPath() const { return configHome() + "/Quaylight/Quaylight.conf"; }
    // A fresh reading of the settings file: "<group>/<key>", or an invalid value.
    QVariant stored(const char* groupAndKey) const;

    // A real feed updater on `address` (a file:// feed) in place of the fake one, the
    // running version being the options' version; before build().
    void useFeed(const QString& address);
    void build();
    int count(const std::string& event) const;

    QTemporaryDir home;
    std::shared_ptr<SettingsFileUserDefaults> defaults;
    FakeLoginItem* fakeItem = nullptr;  // owned by the manager
    std::unique_ptr<LaunchAtLoginManager> launchAtLogin;
    std::vector<QUrl> openedUrls;
    std::unique_ptr<AgentProviderConnectionStore> connections;
    FakeKeyGrabBackend* keyGrab = nullptr;  // owned by the manager
    std::unique_ptr<GlobalShortcutManager> shortcut;
    FakeUpdater updater;
    std::unique_ptr<FeedUpdater> feedUpdater;
    std::unique_ptr<UpdaterViewModel> updaterModel;
    std::vector<std::string> events;
    bool showSystemValue = false;
    PopoutOptions options;
    std::unique_ptr<SettingsPopoutView> view;
};

}  // namespace quaylight::test
