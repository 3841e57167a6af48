// A small X11 client for the global shortcut's tests: a QGuiApplication on the xcb platform
// whose GlobalShortcutManager (with the session's real key grab) counts the presses it sees.
// Commands on standard input, one per line, each answered by one line:
//   sync            -> "count <presses> error <registrationError or none>" once every X
//                      event sent before the command has been handled
//   enable/disable  -> the same line, after switching the shortcut
#include <QGuiApplication>
#include <QSocketNotifier>
#include <QtGui/qguiapplication_platform.h>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <unistd.h>
#include <xcb/xcb.h>

#include "QuaylightKit/platform/UserDefaults.h"
#include "Quaylight/shell/shortcut/GlobalShortcutManager.h"
#include "tests/Quaylight/shell/support/X11EventBarrier.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    QGuiApplication application(argc, argv);
    quaylight::InMemoryUserDefaults defaults;
    quaylight::GlobalShortcutManager manager(defaults, quaylight::makeSessionKeyGrabBackend());
    int presses = 0;
    manager.start([&presses] { ++presses; });
    auto* x11 = application.nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr) return 1;
    quaylight::testsupport::X11EventBarrier barrier(x11->connection());

    auto report = [&] {
        barrier.pass();
        const auto& error = manager.registrationError();
        std::cout << "count " << presses << " error " << (error ? *error : std::string("none")) << std::endl;
    };

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &application, [&] {
        std::string line;
        if (!std::getline(std::cin, line)) {
            manager.stop();
            QCoreApplication::quit();
            return;
        }
        if (line == "enable") manager.setEnabled(true);
        if (line == "disable") manager.setEnabled(false);
        report();
    });
    report();
    return application.exec();
}
