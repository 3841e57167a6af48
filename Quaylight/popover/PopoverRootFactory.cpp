#include "Quaylight/popover/PopoverRootFactory.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QLocale>

#include "Quaylight/agent-hooks/paths/InstalledExecutable.h"
#include "Quaylight/popover/PopoverBinding.h"
#include "Quaylight/settings/onboarding/LaunchAtLoginOfferView.h"
#include "Quaylight/settings/onboarding/WalkthroughView.h"
#include "Quaylight/settings/popout/SettingsPopoutView.h"
#include "Quaylight/settings/popout/UpdaterViewModel.h"
#include "Quaylight/shell/platform/FeedUpdater.h"
#include "Quaylight/shell/platform/SupportLink.h"

namespace quaylight {

namespace {

// The settings popout's view of the application; `updater` lives as long as the root.
SettingsPopoutView::Dependencies settingsDependencies(const PopoverContext& context, UpdaterViewModel* updater) {
    SettingsPopoutView::Dependencies deps;
    deps.defaults = context.defaults;
    deps.launchAtLogin = context.launchAtLogin;
    deps.connections = context.connections;
    deps.shortcut = context.globalShortcut;
    deps.updater = updater;
    deps.updateFeedConfigured = !FeedUpdater::configuredFeedAddress().isEmpty();
    deps.supportAddress = std::string(SupportLink::configuredAddress());
    const QString version = QCoreApplication::applicationVersion();
    if (!version.isEmpty()) deps.version = version.toStdString();
    deps.osName = SupportLink::osPrettyName();
    deps.openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    deps.formatTime = [](WallTime time) {
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
        return QLocale().toString(QDateTime::fromMSecsSinceEpoch(ms).time(), QLocale::ShortFormat);
    };
    deps.installedPath = InstalledExecutable::path();
    deps.installedFolder = InstalledExecutable::folder();
    return deps;
}

PopoverPages realPages(const PopoverContext& context, UpdaterViewModel* updater) {
    const auto deps = settingsDependencies(context, updater);
    PopoverPages pages;
    pages.settings = [deps](bool showSystem, std::optional<QString> lastScanned, PopoverPages::SettingsActions actions) {
        SettingsPopoutView::Callbacks callbacks;
        callbacks.onDisplaySettingsChange = std::move(actions.displaySettingsChanged);
        callbacks.onReplayWalkthrough = std::move(actions.replayWalkthrough);
        callbacks.quit = std::move(actions.quit);
        callbacks.close = std::move(actions.close);
        callbacks.setShowSystem = std::move(actions.setShowSystem);
        return new SettingsPopoutView(deps, std::move(callbacks), showSystem, std::move(lastScanned));
    };
    pages.showLastScanned = [](QWidget* page, std::optional<QString> lastScanned) {
        if (auto* popout = qobject_cast<SettingsPopoutView*>(page)) popout->setLastScanned(std::move(lastScanned));
    };
    pages.launchAtLoginOffer = [launchAtLogin = context.launchAtLogin,
                                defaults = context.defaults](std::function<void(bool)> complete) {
        return new LaunchAtLoginOfferView({launchAtLogin, defaults}, std::move(complete));
    };
    pages.walkthrough = [](std::function<void()> done) { return new WalkthroughView(std::move(done)); };
    return pages;
}

}  // namespace

PopoverRootFactory makePopoverRootFactory() {
    return [](const PopoverContext& context) -> QWidget* {
        PopoverBinding::Dependencies dependencies;
        dependencies.viewModel = context.viewModel;
        dependencies.revealState = context.reveal;
        dependencies.connections = context.connections;
        dependencies.settingsFile = context.settingsFile;
        // The delegate owns the store and outlives the panel.
        if (context.defaults) dependencies.defaults = std::shared_ptr<UserDefaults>(context.defaults, [](UserDefaults*) {});
        dependencies.dismissPanel = context.dismissPanel;
        dependencies.quit = context.quit;
        dependencies.onOnboardingGateChanged = context.onOnboardingGateChanged;
        auto* updater = context.updater ? new UpdaterViewModel(*context.updater) : nullptr;
        dependencies.pages = realPages(context, updater);
        PopoverRootView* root = PopoverBinding::makeRoot(std::move(dependencies));
        // The updater's model belongs to the binding: it lives as long as the panel.
        if (updater) updater->setParent(root->binding());
        return root;
    };
}

}  // namespace quaylight
