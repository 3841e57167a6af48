// A small X11 client for the indicator's desktop sources: a QGuiApplication on the xcb
// platform with the live desktop-switch source, counting the switches it reports.
// Every line on standard input is answered with "switches <n>" once every X event sent
// before it has been handled; the first such line comes unasked.
#include <QGuiApplication>
#include <QSocketNotifier>
#include <QtGui/qguiapplication_platform.h>
#include <cstdlib>
#include <iostream>
#include <string>
#include <unistd.h>

#include "Quaylight/notch/platform/LinuxDesktopEventSources.h"
#include "tests/Quaylight/shell/support/X11EventBarrier.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    QGuiApplication application(argc, argv);
    auto* x11 = application.nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr) return 1;
    auto source = quaylight::makeLinuxSpaceChangeSource();
    int switches = 0;
    source->setOnSpaceChange([&switches] { ++switches; });
    quaylight::testsupport::X11EventBarrier barrier(x11->connection());

    auto report = [&] {
        barrier.pass();
        std::cout << "switches " << switches << std::endl;
    };
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &application, [&] {
        std::string line;
        if (!std::getline(std::cin, line)) {
            QCoreApplication::quit();
            return;
        }
        report();
    });
    report();
    return application.exec();
}
