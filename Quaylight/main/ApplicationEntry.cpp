// The application library's entry: the executable calls it when it starts the application.
#include "Quaylight/main/ApplicationEntry.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <variant>

#include <QApplication>

#include "ProcessCoreKit/support/Log.h"
#include "Quaylight/design/theme/BrandFont.h"
#include "Quaylight/popover/PopoverRootFactory.h"
#include "Quaylight/shell/app/AppDelegate.h"
#include "Quaylight/shell/app/InstanceDoorbell.h"
#include "Quaylight/shell/app/ApplicationPlatform.h"
#include "Quaylight/shell/app/LiveNotchIndicator.h"
#include "Quaylight/shell/app/SingleInstanceLock.h"
#include "Quaylight/shell/app/TerminationSignals.h"
#include "Quaylight/shell/defaults/SettingsFileUserDefaults.h"
#include "Quaylight/shell/platform/FeedUpdater.h"
#include "Quaylight/shell/platform/LaunchAtLoginManager.h"
#include "Quaylight/shell/platform/PowerProfilesLowPowerMode.h"
#include "QuaylightKit/engine/PortEngineDependencies.h"
#include "QuaylightKit/support/LiveFileSystem.h"
#include "QuaylightKit/terminator/ListenerTerminator.h"

namespace {

quaylight::AppDelegate* gRunningDelegate = nullptr;

// Qt ends the process with exit() when the X server goes away (a logout): the hook socket
// must not outlive the application even then.
void terminateAtExit() {
    if (gRunningDelegate) gRunningDelegate->applicationWillTerminate();
}

}  // namespace

extern "C" int quaylight_run_application(int argc, char** argv) {
    using namespace quaylight;
    // The library carries its own copy of the kits, so it sets its own log sink.
    logging::setSink(logging::standardErrorSink());

    const auto platform = ApplicationPlatform::decide(ApplicationPlatform::current(argc, argv));
    if (platform.error) {
        std::fprintf(stderr, "error: %s\n", platform.error->c_str());
        return 1;
    }
    if (platform.platform) setenv("QT_QPA_PLATFORM", platform.platform->c_str(), 1);
    // From here on a termination signal ends the application the orderly way.
    TerminationSignals terminationSignals;

    // Before anything starts (the hook server above all): a second launch touches nothing.
    const std::string home = currentHomeDirectory().path;
    const std::string lockPath = SingleInstanceLock::defaultPath(home);
    auto lock = SingleInstanceLock::acquire(lockPath);
    if (std::holds_alternative<SingleInstanceLock::AlreadyRunning>(lock)) {
        // Launched again from the menu: the running one opens its panel, the only way in where
        // the desktop shows no tray.
        InstanceDoorbell::ring(InstanceDoorbell::socketPath(lockPath));
        std::fputs("Quaylight is already running.\n", stderr);
        return 0;
    }
    if (const auto* failed = std::get_if<SingleInstanceLock::Failed>(&lock)) {
        std::fprintf(stderr, "error: %s\n", failed->reason.c_str());
        return 1;
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quaylight"));
    QApplication::setApplicationVersion(QStringLiteral(QUAYLIGHT_VERSION));
    // The panel hides and shows again; only Quit, a signal or the session's end end the app.
    QApplication::setQuitOnLastWindowClosed(false);
    BrandFont::registerBundledFonts();

    auto defaults = std::make_shared<SettingsFileUserDefaults>();
    AppDelegate::Dependencies dependencies{
        .viewModel = {.terminator = ListenerTerminator(PortEngine(PortEngineDependencies::live()),
                                                       ProcessSafetyClassifier::Context::current(),
                                                       ProcessSignaller::live())}};
    dependencies.defaults = defaults;
    dependencies.settingsFile = defaults;
    dependencies.lowPowerMode = std::make_shared<PowerProfilesLowPowerMode>();
    dependencies.launchAtLogin = LaunchAtLoginManager::forRunningExecutable();
    dependencies.makeNotchIndicator = makeLiveNotchIndicator;
    dependencies.updater = std::make_unique<FeedUpdater>(FeedUpdater::Dependencies{
        FeedUpdater::configuredFeedAddress(), QStringLiteral(QUAYLIGHT_VERSION), defaults.get(), nullptr});

    dependencies.makePopoverRoot = makePopoverRootFactory();

    AppDelegate delegate(std::move(dependencies));
    gRunningDelegate = &delegate;
    std::atexit(terminateAtExit);
    terminationSignals.watch([] { QCoreApplication::quit(); });
    delegate.applicationDidFinishLaunching();
    InstanceDoorbellServer doorbell(InstanceDoorbell::socketPath(lockPath), [&delegate] { delegate.presentPopover(); });
    doorbell.listen();

    application.exec();
    delegate.applicationWillTerminate();
    gRunningDelegate = nullptr;
    terminationSignals.stopWatching();
    return 0;
}
