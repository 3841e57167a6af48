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

namespace {

void settle() {
    // A round trip puts every earlier event in the connection's queue; handling them may
    // queue work (a press, a re-grab after a keymap change) for the next turns.
    if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()) {
        xcb_connection_t* connection = x11->connection();
        std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    }
    for (int turn = 0; turn < 4; ++turn) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    QGuiApplication application(argc, argv);
    quaylight::InMemoryUserDefaults defaults;
    quaylight::GlobalShortcutManager manager(defaults, quaylight::makeSessionKeyGrabBackend());
    int presses = 0;
    manager.start([&presses] { ++presses; });

    auto report = [&] {
        settle();
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
