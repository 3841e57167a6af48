// The built executable as a user starts it: offscreen, with its own home and XDG folders.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include <QProcess>
#include <QProcessEnvironment>

#include "Quaylight/agent-hooks/paths/AgentHookPaths.h"
#include "Quaylight/shell/app/ApplicationPlatform.h"
#include "Quaylight/shell/app/SingleInstanceLock.h"
#include "tests/Quaylight/shell/testing/QtWait.h"
#include "tests/support/TempDir.h"

namespace quaylight::testsupport {
namespace {

namespace fs = std::filesystem;

struct Home {
    TempDir dir;
    fs::path home = dir / "home";
    fs::path runtime = dir / "run";
    // Where the application puts its socket for this home: under it while the path is short
    // enough, else in the runtime folder (a long temporary folder makes the home's too long).
    fs::path socket = AgentHookPaths::standard(home.string(), runtime.string()).socketPath;

    Home() {
        fs::create_directories(home / ".config/Quaylight");
        fs::create_directories(runtime);
        fs::permissions(runtime, fs::perms::owner_all, fs::perm_options::replace);
        // One provider configured: the hook server runs.
        std::ofstream(home / ".config/Quaylight/Quaylight.conf") << "[bool]\nagentConnections.claude.configured=true\n";
    }

    QProcessEnvironment environment(const char* platform = "offscreen") const {
        QProcessEnvironment e;
        e.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin"));
        e.insert(QStringLiteral("HOME"), QString::fromStdString(home.string()));
        e.insert(QStringLiteral("XDG_RUNTIME_DIR"), QString::fromStdString(runtime.string()));
        e.insert(QStringLiteral("XDG_CONFIG_HOME"), QString::fromStdString((home / ".config").string()));
        e.insert(QStringLiteral("XDG_DATA_HOME"), QString::fromStdString((home / ".local/share").string()));
        e.insert(QStringLiteral("XDG_CACHE_HOME"), QString::fromStdString((home / ".cache").string()));
        if (platform) e.insert(QStringLiteral("QT_QPA_PLATFORM"), QString::fromLatin1(platform));
        return e;
    }
};

// The application started as a child of this test; killed if the test ends early.
struct Running {
    QProcess process;
    explicit Running(const QProcessEnvironment& environment) {
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(QUAYLIGHT_EXECUTABLE), {});
    }
    ~Running() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
};

bool isSocket(const fs::path& path) {
    struct stat s {};
    return ::lstat(path.c_str(), &s) == 0 && S_ISSOCK(s.st_mode);
}

class TerminationSignal : public ::testing::TestWithParam<int> {};

TEST_P(TerminationSignal, RunsTheTerminationOrderAndRemovesTheSocket) {
    Home h;
    Running app(h.environment());
    ASSERT_TRUE(app.process.waitForStarted(10000));
    ASSERT_TRUE(processEventsUntil([&] { return isSocket(h.socket); }, std::chrono::seconds(20)))
        << app.process.readAllStandardError().toStdString();
    EXPECT_EQ((fs::status(h.socket.parent_path()).permissions() & fs::perms::all), fs::perms::owner_all);

    ::kill(static_cast<pid_t>(app.process.processId()), GetParam());
    ASSERT_TRUE(app.process.waitForFinished(20000));
    EXPECT_EQ(app.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(app.process.exitCode(), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(h.socket)));
}

INSTANTIATE_TEST_SUITE_P(Signals, TerminationSignal, ::testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const auto& testInfo) { return std::string(strsignal(testInfo.param)).substr(0, 4) + std::to_string(testInfo.param); });

TEST(ApplicationExecutable, ASecondLaunchSaysSoAndLeavesTheFirstAlone) {
    Home h;
    Running first(h.environment());
    ASSERT_TRUE(processEventsUntil([&] { return isSocket(h.socket); }, std::chrono::seconds(20)));
    const auto inode = fs::status(h.socket).type();

    QProcess second;
    second.setProcessEnvironment(h.environment());
    second.start(QStringLiteral(QUAYLIGHT_EXECUTABLE), {});
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(second.readAllStandardError().toStdString(), "Quaylight is already running.\n");
    EXPECT_TRUE(isSocket(h.socket));
    EXPECT_EQ(fs::status(h.socket).type(), inode);
    EXPECT_EQ(first.process.state(), QProcess::Running);

    ::kill(static_cast<pid_t>(first.process.processId()), SIGTERM);
    ASSERT_TRUE(first.process.waitForFinished(20000));
    EXPECT_EQ(first.process.exitCode(), 0);
}

TEST(ApplicationExecutable, WithoutADisplayOneErrorLineAndExitOne) {
    Home h;
    QProcess app;
    app.setProcessEnvironment(h.environment(nullptr));  // no DISPLAY, no WAYLAND_DISPLAY, no platform
    app.start(QStringLiteral(QUAYLIGHT_EXECUTABLE), {});
    ASSERT_TRUE(app.waitForFinished(20000));
    EXPECT_EQ(app.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(app.exitCode(), 1);
    const auto error = app.readAllStandardError().toStdString();
    EXPECT_EQ(error.rfind("error: ", 0), 0u) << error;
    EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << error;
    EXPECT_FALSE(fs::exists(h.home / ".local/share/Quaylight/Runtime"));
}

TEST(ApplicationPlatform, WaylandRunsAsAnX11ClientWhenAnXDisplayExists) {
    auto session = [](std::optional<std::string> chosen, bool x, bool wayland) {
        ApplicationPlatform::Session s;
        s.chosenPlatform = std::move(chosen);
        s.display = std::string(":0");
        s.waylandDisplay = std::string("wayland-0");
        s.canReachX = [x](const std::string&) { return x; };
        s.canReachWayland = [wayland](const std::string&) { return wayland; };
        return s;
    };
    using D = ApplicationPlatform::Decision;
    auto decide = [](const ApplicationPlatform::Session& s) {
        const D d = ApplicationPlatform::decide(s);
        return std::make_pair(d.platform.value_or("-"), d.error.has_value());
    };
    EXPECT_EQ(decide(session(std::nullopt, true, true)), std::make_pair(std::string("xcb"), false));
    EXPECT_EQ(decide(session(std::nullopt, false, true)), std::make_pair(std::string("wayland"), false));
    EXPECT_EQ(decide(session(std::nullopt, false, false)), std::make_pair(std::string("-"), true));
    EXPECT_EQ(decide(session(std::string("wayland"), true, true)), std::make_pair(std::string("-"), false));
    EXPECT_EQ(decide(session(std::string("xcb"), false, true)), std::make_pair(std::string("-"), true));
    EXPECT_EQ(decide(session(std::string("offscreen"), false, false)), std::make_pair(std::string("-"), false));
}

TEST(SingleInstanceLock, OneHolderAtATimeAndFreeAgainWhenReleased) {
    TempDir dir;
    const std::string path = SingleInstanceLock::defaultPath((dir / "home").string());
    auto first = SingleInstanceLock::acquire(path);
    ASSERT_TRUE(std::holds_alternative<SingleInstanceLock>(first));
    EXPECT_EQ((fs::status(dir / "home/.local/share/Quaylight").permissions() & fs::perms::all), fs::perms::owner_all);
    EXPECT_TRUE(std::holds_alternative<SingleInstanceLock::AlreadyRunning>(SingleInstanceLock::acquire(path)));
    first = SingleInstanceLock::AlreadyRunning{};  // released
    EXPECT_TRUE(std::holds_alternative<SingleInstanceLock>(SingleInstanceLock::acquire(path)));
}

TEST(SingleInstanceLock, ALinkInPlaceOfTheLockIsRefused) {
    TempDir dir;
    const auto target = dir.write("elsewhere", "");
    fs::create_directories(dir / "home/.local/share/Quaylight");
    fs::create_symlink(target, dir / "home/.local/share/Quaylight/instance.lock");
    EXPECT_TRUE(std::holds_alternative<SingleInstanceLock::Failed>(
        SingleInstanceLock::acquire(SingleInstanceLock::defaultPath((dir / "home").string()))));
}

}  // namespace
}  // namespace quaylight::testsupport
