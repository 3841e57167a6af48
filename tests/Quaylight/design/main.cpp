// The design tests draw real widgets: they need a QApplication on the offscreen platform,
// set up here because test discovery runs this binary without the test environment. Its
// private runtime folder is removed again when the run ends.
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
        // A private folder, or Qt warns about the runtime directory on every start.
        std::string folder = QDir::tempPath().toStdString() + "/quaylight-design-tests-XXXXXX";
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
