// The sleep and wake source against a private session bus: the screensaver's ActiveChanged
// signal, sent the way a screensaver sends it (dbus-send), reaches the indicator's handlers.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <cstdlib>

#include "Quaylight/notch/platform/LinuxDesktopEventSources.h"
#include "tests/Quaylight/shell/support/PrivateBus.h"

namespace quaylight {
namespace {

using testsupport::PrivateBus;

TEST(LinuxSleepWake, TheScreensaverTurningOnAndOffIsSleepAndWake) {
    PrivateBus bus;
    ASSERT_TRUE(bus.running()) << "dbus-daemon could not be started (is dbus-daemon installed?)";
    // This test's process reaches the session bus first here, so the source connects to ours.
    setenv("DBUS_SESSION_BUS_ADDRESS", bus.address().toUtf8().constData(), 1);
    auto source = makeLinuxSleepWakeSource();
    std::vector<std::string> events;
    source->setHandlers([&events] { events.push_back("sleep"); }, [&events] { events.push_back("wake"); });

    const auto send = [&bus](const char* service, const char* active) {
        QProcess sender;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address());
        sender.setProcessEnvironment(environment);
        sender.start(QStringLiteral("dbus-send"),
                     {QStringLiteral("--session"), QStringLiteral("--type=signal"),
                      QStringLiteral("/org/%1/ScreenSaver").arg(QString::fromLatin1(service)),
                      QStringLiteral("org.%1.ScreenSaver.ActiveChanged").arg(QString::fromLatin1(service)),
                      QStringLiteral("boolean:%1").arg(QString::fromLatin1(active))});
        return sender.waitForFinished(10000) && sender.exitCode() == 0;
    };
    const auto waitFor = [&events](std::size_t count) {
        QDeadlineTimer deadline(10000);
        while (events.size() < count && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    };
    // The freedesktop screensaver, then GNOME's own name for it.
    ASSERT_TRUE(send("freedesktop", "true"));
    waitFor(1);
    ASSERT_TRUE(send("freedesktop", "false"));
    waitFor(2);
    ASSERT_TRUE(send("gnome", "true"));
    waitFor(3);
    EXPECT_EQ(events, (std::vector<std::string>{"sleep", "wake", "sleep"}));
}

}  // namespace
}  // namespace quaylight
