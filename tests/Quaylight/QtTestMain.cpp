// The main of every widget test binary: a QApplication on the offscreen platform (set here
// because test discovery runs the binary without the test environment), the bundled fonts,
// and a private runtime folder that is removed again when the run ends.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "Quaylight/design/theme/BrandFont.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QString ownRuntimeFolder;
    if (std::getenv("XDG_RUNTIME_DIR") == nullptr) {
        // Qt warns about a missing runtime folder on every start.
        std::string folder = QDir::tempPath().toStdString() + "/quaylight-qt-tests-XXXXXX";
        if (mkdtemp(folder.data()) != nullptr) {
            setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
            ownRuntimeFolder = QString::fromStdString(folder);
        }
    }
    int status = 0;
    {
        QApplication application(argc, argv);
        quaylight::BrandFont::registerBundledFonts();
        ::testing::InitGoogleTest(&argc, argv);
        status = RUN_ALL_TESTS();
    }
    if (!ownRuntimeFolder.isEmpty()) QDir(ownRuntimeFolder).removeRecursively();
    return status;
}
