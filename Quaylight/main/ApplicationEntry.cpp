// The application library's entry: the executable calls it when it starts the application.
#include "Quaylight/main/ApplicationEntry.h"

#include <QApplication>

#include "ProcessCoreKit/support/Log.h"
#include "Quaylight/design/theme/BrandFont.h"

extern "C" int quaylight_run_application(int argc, char** argv) {
    // The library carries its own copy of the kits, so it sets its own log sink.
    quaylight::logging::setSink(quaylight::logging::standardErrorSink());
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quaylight"));
    quaylight::BrandFont::registerBundledFonts();
    // The tray icon, panel and loops arrive with the application delegate; until then the
    // application starts, makes its fonts known and ends.
    return 0;
}
