// The executable keeps Qt out of its command-line modes: it links no Qt and loads the
// application library only when it starts the application.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "Quaylight/main/ApplicationEntry.h"
#include "Quaylight/main/ApplicationLoader.h"

namespace quaylight {
namespace {

QProcessEnvironment offscreen() {
    auto environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    return environment;
}

// A copy of the executable alone in `folder`, with an unloadable library beside it when asked.
QString loneExecutable(const QTemporaryDir& folder, bool withBrokenLibrary) {
    const QString lone = folder.filePath("quaylight");
    EXPECT_TRUE(QFile::copy(QStringLiteral(QUAYLIGHT_EXECUTABLE), lone));
    QFile::setPermissions(lone, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (withBrokenLibrary) {
        QFile broken(folder.filePath("libquaylight-app.so"));
        EXPECT_TRUE(broken.open(QIODevice::WriteOnly));
        broken.write("not a library");
    }
    return lone;
}

TEST(ApplicationLibrary, ExecutableLinksNoQt) {
    QProcess ldd;
    ldd.start("ldd", {QStringLiteral(QUAYLIGHT_EXECUTABLE)});
    ASSERT_TRUE(ldd.waitForFinished(30000));
    const QString libraries = QString::fromLocal8Bit(ldd.readAllStandardOutput());
    EXPECT_FALSE(libraries.isEmpty());
    EXPECT_FALSE(libraries.contains("Qt", Qt::CaseInsensitive)) << libraries.toStdString();
}

TEST(ApplicationLibrary, ExportsTheEntryPoint) {
    void* library = dlopen(QUAYLIGHT_APPLICATION_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    EXPECT_NE(dlsym(library, QUAYLIGHT_APPLICATION_ENTRY), nullptr);
    // Internals stay hidden.
    EXPECT_EQ(dlsym(library, "_ZN9quaylight12PremiumTheme6accentEv"), nullptr);
    dlclose(library);
}

TEST(ApplicationLibrary, IsLookedForBesideTheExecutableThenInLibQuaylight) {
    EXPECT_EQ(applicationLibraryCandidates("/usr/local/bin/quaylight"),
              (std::vector<std::string>{"/usr/local/bin/libquaylight-app.so", "/usr/local/lib/quaylight/libquaylight-app.so"}));
}

TEST(ApplicationLibrary, ApplicationModeStartsThroughTheLibrary) {
    // The application runs until it is told to stop; its own home keeps it away from the
    // user's settings and instance lock.
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    auto environment = offscreen();
    environment.insert("HOME", home.path());
    environment.insert("XDG_CONFIG_HOME", home.filePath(".config"));
    environment.insert("XDG_DATA_HOME", home.filePath(".local/share"));
    environment.insert("XDG_CACHE_HOME", home.filePath(".cache"));
    QProcess quaylight;
    quaylight.setProcessEnvironment(environment);
    quaylight.start(QStringLiteral(QUAYLIGHT_EXECUTABLE), {});
    ASSERT_TRUE(quaylight.waitForStarted(30000));
    // The library takes the instance lock as its first act.
    const QString lock = home.filePath(".local/share/Quaylight/instance.lock");
    for (int i = 0; i < 3000 && !QFile::exists(lock) && quaylight.state() == QProcess::Running; ++i)
        quaylight.waitForFinished(10);
    EXPECT_TRUE(QFile::exists(lock)) << quaylight.readAllStandardError().toStdString();
    quaylight.terminate();
    ASSERT_TRUE(quaylight.waitForFinished(30000));
    EXPECT_EQ(quaylight.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(quaylight.exitCode(), 0) << quaylight.readAllStandardError().toStdString();
}

TEST(ApplicationLibrary, MissingLibraryIsOneErrorSentence) {
    QTemporaryDir folder;
    const QString lone = loneExecutable(folder, false);
    QProcess quaylight;
    quaylight.setProcessEnvironment(offscreen());
    quaylight.start(lone, {});
    ASSERT_TRUE(quaylight.waitForFinished(30000));
    EXPECT_EQ(quaylight.exitCode(), 1);
    const QString error = QString::fromLocal8Bit(quaylight.readAllStandardError());
    EXPECT_TRUE(error.startsWith("error: ")) << error.toStdString();
    EXPECT_TRUE(error.endsWith(".\n")) << error.toStdString();
    EXPECT_EQ(error.count('\n'), 1) << error.toStdString();
}

TEST(ApplicationLibrary, BrokenLibraryIsOneErrorSentence) {
    QTemporaryDir folder;
    const QString lone = loneExecutable(folder, true);
    QProcess quaylight;
    quaylight.start(lone, {});
    ASSERT_TRUE(quaylight.waitForFinished(30000));
    EXPECT_EQ(quaylight.exitCode(), 1);
    const QString error = QString::fromLocal8Bit(quaylight.readAllStandardError());
    EXPECT_TRUE(error.startsWith("error: Quaylight could not load its application library")) << error.toStdString();
    EXPECT_EQ(error.count('\n'), 1) << error.toStdString();
}

TEST(ApplicationLibrary, CommandLineModesDoNotLoadTheLibrary) {
    // The relay runs beside a broken library without noticing it.
    QTemporaryDir folder;
    const QString lone = loneExecutable(folder, true);
    QProcess relay;
    relay.start(lone, {"agent-event"});
    relay.closeWriteChannel();
    ASSERT_TRUE(relay.waitForFinished(30000));
    EXPECT_EQ(relay.exitCode(), 0);
    EXPECT_TRUE(relay.readAllStandardError().isEmpty());
}

}  // namespace
}  // namespace quaylight
