// The desktop-switch source against a real X server: a private Xvfb whose root window's
// _NET_CURRENT_DESKTOP is set the way a window manager sets it (xprop), and the probe
// program, a Qt client on the xcb platform holding the live source.
#include <gtest/gtest.h>

#include "tests/Quaylight/shell/support/ProbeProcess.h"
#include "tests/Quaylight/shell/support/XvfbServer.h"

namespace quaylight {
namespace {

using testsupport::ProbeProcess;
using testsupport::XvfbServer;

TEST(LinuxDesktopSwitch, OnlyANewCurrentDesktopCounts) {
    XvfbServer server;
    ASSERT_TRUE(server.running()) << server.failure();
    ProbeProcess probe(server, QStringLiteral(QUAYLIGHT_DESKTOP_PROBE));
    ASSERT_EQ(probe.firstLine(), "switches 0");
    struct Step {
        int desktop;
        const char* expected;
    };
    // Window managers also set the property again to the value it has: no switch.
    const Step steps[] = {{1, "switches 1"}, {1, "switches 1"}, {2, "switches 2"}, {0, "switches 3"}};
    for (const auto& step : steps) {
        const auto result = server.run(QStringLiteral("xprop"),
                                       {QStringLiteral("-root"), QStringLiteral("-f"), QStringLiteral("_NET_CURRENT_DESKTOP"),
                                        QStringLiteral("32c"), QStringLiteral("-set"), QStringLiteral("_NET_CURRENT_DESKTOP"),
                                        QString::number(step.desktop)});
        ASSERT_EQ(result.exitCode, 0) << result.output.toStdString();
        EXPECT_EQ(probe.command("sync"), step.expected) << "desktop " << step.desktop;
    }
}

}  // namespace
}  // namespace quaylight
