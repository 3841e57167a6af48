// The executable keeps Qt out of its command-line modes: it is linked statically, and the
// application mode hands over to a launcher that loads the application library.
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
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return environment;
}

QString copyExecutable(const QTemporaryDir& folder, const QString& from, const QString& name) {
    const QString copy = folder.filePath(name);
    EXPECT_TRUE(QFile::copy(from, copy));
    QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return copy;
}

// A copy of the executable alone in `folder`, with its launcher and an unloadable library
// beside it when asked.
QString loneExecutable(const QTemporaryDir& folder, bool withBrokenLibrary, bool withLauncher = false) {
    const QString lone = copyExecutable(folder, QStringLiteral(QUAYLIGHT_EXECUTABLE), QStringLiteral("quaylight"));
    if (withLauncher)
        copyExecutable(folder, QStringLiteral(QUAYLIGHT_APPLICATION_LAUNCHER), QStringLiteral("quaylight-application"));
    if (withBrokenLibrary) {
        QFile broken(folder.filePath(QStringLiteral("libquaylight-app.so")));
        EXPECT_TRUE(broken.open(QIODevice::WriteOnly));
        broken.write("not a library");
    }
    return lone;
}

QString sharedLibrariesOf(const char* executable) {
    QProcess ldd;
    ldd.setProcessChannelMode(QProcess::MergedChannels);
    ldd.start(QStringLiteral("ldd"), {QString::fromUtf8(executable)});
    EXPECT_TRUE(ldd.waitForFinished(30000));
    return QString::fromLocal8Bit(ldd.readAllStandardOutput());
}

TEST(ApplicationLibrary, ExecutableLinksNoQt) {
    const QString libraries = sharedLibrariesOf(QUAYLIGHT_EXECUTABLE);
    EXPECT_FALSE(libraries.isEmpty());
    EXPECT_FALSE(libraries.contains(QStringLiteral("Qt"), Qt::CaseInsensitive)) << libraries.toStdString();
    // Linked statically (except in a sanitizer build), it maps no shared library at all.
    if (QUAYLIGHT_EXECUTABLE_IS_STATIC) {
        EXPECT_TRUE(libraries.contains(QStringLiteral("not a dynamic executable"))) << libraries.toStdString();
    }
}

TEST(ApplicationLibrary, LauncherLinksNoQt) {
    const QString libraries = sharedLibrariesOf(QUAYLIGHT_APPLICATION_LAUNCHER);
    EXPECT_TRUE(libraries.contains(QStringLiteral("libc.so"))) << libraries.toStdString();
    EXPECT_FALSE(libraries.contains(QStringLiteral("Qt"), Qt::CaseInsensitive)) << libraries.toStdString();
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
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral(".config")));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral(".local/share")));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), home.filePath(QStringLiteral(".cache")));
    QProcess quaylight;
    quaylight.setProcessEnvironment(environment);
    quaylight.start(QStringLiteral(QUAYLIGHT_EXECUTABLE), {});
    ASSERT_TRUE(quaylight.waitForStarted(30000));
    // The library takes the instance lock as its first act.
    const QString lock = home.filePath(QStringLiteral(".local/share/Quaylight/instance.lock"));
    for (int i = 0; i < 3000 && !QFile::exists(lock) && quaylight.state() == QProcess::Running; ++i)
        quaylight.waitForFinished(10);
    EXPECT_TRUE(QFile::exists(lock)) << quaylight.readAllStandardError().toStdString();
    quaylight.terminate();
    ASSERT_TRUE(quaylight.waitForFinished(30000));
    EXPECT_EQ(quaylight.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(quaylight.exitCode(), 0) << quaylight.readAllStandardError().toStdString();
}

TEST(ApplicationLibrary, MissingLauncherIsOneErrorSentence) {
    QTemporaryDir folder;
    const QString lone = loneExecutable(folder, false);
    QProcess quaylight;
    quaylight.setProcessEnvironment(offscreen());
    quaylight.start(lone, {});
    ASSERT_TRUE(quaylight.waitForFinished(30000));
    EXPECT_EQ(quaylight.exitCode(), 1);
    const QString error = QString::fromLocal8Bit(quaylight.readAllStandardError());
    EXPECT_TRUE(error.startsWith(QStringLiteral("error: "))) << error.toStdString();
    EXPECT_TRUE(error.endsWith(QStringLiteral(".\n"))) << error.toStdString();
    EXPECT_EQ(error.count(QLatin1Char('\n')), 1) << error.toStdString();
}

TEST(ApplicationLibrary, MissingLibraryBesideTheLauncherIsOneErrorSentence) {
    QTemporaryDir folder;
    const QString lone = loneExecutable(folder, false, true);
    QProcess quaylight;
    quaylight.setProcessEnvironment(offscreen());
    quaylight.start(lone, {});
    ASSERT_TRUE(quaylight.waitForFinished(30000));
    EXPECT_EQ(quaylight.exitCode(), 1);
    const QString error = QString::fromLocal8Bit(quaylight.readAllStandardError());
    EXPECT_TRUE(error.startsWith(QStringLiteral("error: Quaylight could not find libquaylight-app.so"))) << error.toStdString();
    EXPECT_EQ(error.count(QLatin1Char('\n')), 1) << error.toStdString();
}

TEST(ApplicationLibrary, BrokenLibraryIsOneErrorSentence) {
    QTemporaryDir folder;
    const QString lone = loneExecutable(folder, true, true);
    QProcess quaylight;
    quaylight.start(lone, {});
    ASSERT_TRUE(quaylight.waitForFinished(30000));
    EXPECT_EQ(quaylight.exitCode(), 1);
    const QString error = QString::fromLocal8Bit(quaylight.readAllStandardError());
    EXPECT_TRUE(error.startsWith(QStringLiteral("error: Quaylight could not load its application library"))) << error.toStdString();
    EXPECT_EQ(error.count(QLatin1Char('\n')), 1) << error.toStdString();
}

TEST(ApplicationLibrary, CommandLineModesDoNotLoadTheLibrary) {
    // The relay runs beside a broken library without noticing it.
    QTemporaryDir folder;
    const QString lone = loneExecutable(folder, true, true);
    QProcess relay;
    relay.start(lone, {QStringLiteral("agent-event")});
    relay.closeWriteChannel();
    ASSERT_TRUE(relay.waitForFinished(30000));
    EXPECT_EQ(relay.exitCode(), 0);
    EXPECT_TRUE(relay.readAllStandardError().isEmpty());
}

}  // namespace
}  // namespace quaylight
