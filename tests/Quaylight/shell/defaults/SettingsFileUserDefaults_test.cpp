// The settings file as the application keeps it: real files under a temporary folder, read
// back by fresh stores and by a plain QSettings.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <limits>
#include <thread>
#include <vector>

#include "Quaylight/shell/defaults/DisplaySettings.h"
#include "Quaylight/shell/defaults/SettingsFileUserDefaults.h"
#include "Quaylight/shell/defaults/SettingsKeys.h"
#include "Quaylight/shell/shortcut/GlobalShortcutSettings.h"
#include "tests/Quaylight/shell/defaults/SettingsFileFixture.h"

namespace quaylight {
namespace {

using Value = UserDefaults::Value;

using SettingsFileTest = test::SettingsFileFixture;

struct RoundTrip {
    const char* name;
    Value value;
};

TEST_F(SettingsFileTest, EveryTypeSurvivesAReopenAsItself) {
    const std::vector<RoundTrip> cases{
        {"bool.true", true},
        {"bool.false", false},
        {"int.zero", std::int64_t{0}},
        {"int.negative", std::int64_t{-42}},
        {"int.largest", std::numeric_limits<std::int64_t>::max()},
        {"int.smallest", std::numeric_limits<std::int64_t>::min()},
        {"double.tenth", 0.1},
        {"double.huge", 1e300},
        {"double.whole", 3.0},
        {"text.plain", std::string("compact")},
        {"text.true", std::string("true")},
        {"text.number", std::string("42")},
        {"text.empty", std::string()},
        {"text.at", std::string("@ByteArray(x)")},
        {"text.commas", std::string("a, b,c")},
        {"text.quotes", std::string("say \"hi\" = ; # [x]")},
        {"text.lines", std::string("one\ntwo\r\nthree")},
        {"text.unicode", std::string("Ünïcödé — 端口")},
        {"text.json", std::string(R"({"key":"p","modifiers":["command","option"]})")},
        {"display.rowDensity", std::string("compact")},
    };
    {
        SettingsFileUserDefaults store(path());
        EXPECT_FALSE(store.readFailureNotice());
        for (const auto& c : cases) store.set(c.name, c.value);
    }
    SettingsFileUserDefaults reopened(path());
    for (const auto& c : cases) {
        auto read = reopened.object(c.name);
        ASSERT_TRUE(read.has_value()) << c.name;
        EXPECT_EQ(read->index(), c.value.index()) << c.name;
        EXPECT_EQ(*read, c.value) << c.name;
    }
    EXPECT_FALSE(reopened.boolValue("text.true"));
    EXPECT_EQ(reopened.stringValue("text.true"), "true");
}

TEST_F(SettingsFileTest, ChangesAreOnDiskAfterTheEventLoopsTurnAndATypeChangeLeavesOneValue) {
    SettingsFileUserDefaults store(path());
    store.setBool("display.showPort", false);
    store.setBool("display.showCPU", true);
    QCoreApplication::processEvents();
    {
        QSettings plain(qPath(), QSettings::IniFormat);
        EXPECT_EQ(plain.value(QStringLiteral("bool/display.showPort")).toString(), QStringLiteral("false"));
        EXPECT_EQ(plain.value(QStringLiteral("bool/display.showCPU")).toString(), QStringLiteral("true"));
    }
    // Or at once, when asked.
    store.setString("display.rowDensity", "compact");
    store.synchronize();
    {
        QSettings plain(qPath(), QSettings::IniFormat);
        EXPECT_EQ(plain.value(QStringLiteral("text/display.rowDensity")).toString(), QStringLiteral("compact"));
    }

    store.setString("display.showPort", "no");
    store.setInteger("display.showPort", 7);
    store.synchronize();
    SettingsFileUserDefaults reopened(path());
    EXPECT_EQ(reopened.object("display.showPort"), Value(std::int64_t{7}));
    store.removeObject("display.showPort");
    store.synchronize();
    EXPECT_FALSE(SettingsFileUserDefaults(path()).contains("display.showPort"));
}

TEST_F(SettingsFileTest, BadValuesReadAsAbsentAndTheFileStaysByteIdentical) {
    const QByteArray text =
        "[bool]\n"
        "display.showPort=yes\n"
        "display.showCPU=42\n"
        "display.showMemory=\"true, false\"\n"
        "display.showPath=true, false\n"
        "controls.globalShortcutEnabled=no\n"
        "display.showHost=true\n"
        "\n"
        "[text]\n"
        "display.rowDensity=Compact\n"
        "display.defaultFilter=42\n"
        "display.batteryMode=saver\n"
        "display.showHost=true\n"
        "controls.globalShortcut={broken\n"
        "list.value=a, b\n"
        "\n"
        "[integer]\n"
        "count=4x\n"
        "\n"
        "[double]\n"
        "ratio=abc\n";
    writeFile(text);
    {
        SettingsFileUserDefaults store(path());
        EXPECT_FALSE(store.readFailureNotice());
        for (const char* key : {"display.showPort", "display.showCPU", "display.showPath", "controls.globalShortcutEnabled",
                                "display.showHost", "list.value", "count", "ratio"})
            EXPECT_FALSE(store.contains(key)) << key;
        // A quoted text under [bool] is a text, not a Boolean.
        EXPECT_FALSE(store.boolValue("display.showMemory"));

        DisplaySettings display(store);
        EXPECT_EQ(display.rowDensity(), DisplaySettings::RowDensity::comfortable);
        EXPECT_EQ(display.defaultFilter(), DefaultFilterSetting::agents);
        EXPECT_EQ(display.batteryMode(), BatteryMode::balanced);
        EXPECT_EQ(display.visibleFields(), RowVisibleFields{});
        auto shortcut = GlobalShortcutSettings::preference(store);
        EXPECT_TRUE(shortcut.unreadable);
        EXPECT_EQ(shortcut.preference.displayText(), "Super+Alt+P");
        EXPECT_TRUE(GlobalShortcutSettings::isEnabled(store));
    }
    EXPECT_EQ(fileBytes(), text);

    // Changing one setting leaves the other bad values where they were.
    {
        SettingsFileUserDefaults store(path());
        DisplaySettings(store).setDefaultFilter(DefaultFilterSetting::all);
    }
    QSettings plain(qPath(), QSettings::IniFormat);
    EXPECT_EQ(plain.value(QStringLiteral("text/display.defaultFilter")).toString(), QStringLiteral("all"));
    EXPECT_EQ(plain.value(QStringLiteral("bool/display.showPort")).toString(), QStringLiteral("yes"));
    EXPECT_EQ(plain.value(QStringLiteral("text/display.rowDensity")).toString(), QStringLiteral("Compact"));
    EXPECT_EQ(plain.value(QStringLiteral("text/controls.globalShortcut")).toString(), QStringLiteral("{broken"));
}

TEST_F(SettingsFileTest, AnUnreadableFileGivesDefaultsInMemoryAndIsNeverTouched) {
    // A folder where the file should be: root reads any file, but nobody reads a folder as one.
    ASSERT_TRUE(QDir().mkpath(qPath()));
    SettingsFileUserDefaults store(path());
    ASSERT_TRUE(store.readFailureNotice());
    EXPECT_EQ(*store.readFailureNotice(), "Quaylight couldn't read its settings file (" + path() +
                                              ") because it is a folder, not a file. It is running on defaults; "
                                              "changes won't be kept.");
    EXPECT_EQ(store.notice(), store.readFailureNotice());
    EXPECT_EQ(DisplaySettings(store).rowDensity(), DisplaySettings::RowDensity::comfortable);
    store.setString(SettingsKeys::rowDensity, "compact");
    EXPECT_EQ(DisplaySettings(store).rowDensity(), DisplaySettings::RowDensity::compact);
    EXPECT_TRUE(QFileInfo(qPath()).isDir());
    EXPECT_TRUE(QDir(qPath()).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(qPath() + QStringLiteral(".lock")));
}

TEST_F(SettingsFileTest, AFileBehindANonFolderIsUnreadableToo) {
    writeFile("[text]\nx=y\n");
    const std::string below = path() + "/inner.conf";
    SettingsFileUserDefaults store(below);
    EXPECT_TRUE(store.readFailureNotice());
    store.setBool("x", true);
    EXPECT_EQ(fileBytes(), QByteArray("[text]\nx=y\n"));
}

TEST_F(SettingsFileTest, AMissingFileIsAnEmptyOneAndItsFolderIsMadeOnTheFirstChange) {
    SettingsFileUserDefaults store(path());
    EXPECT_FALSE(store.readFailureNotice());
    EXPECT_FALSE(store.contains(SettingsKeys::rowDensity));
    EXPECT_FALSE(QFileInfo::exists(qPath()));
    store.setBool(SettingsKeys::showCPU, true);
    store.synchronize();
    EXPECT_TRUE(store.lastWriteSucceeded());
    EXPECT_TRUE(QFileInfo::exists(qPath()));
}

TEST_F(SettingsFileTest, ReadersAndWritersOnManyThreadsLoseNothing) {
    constexpr int threads = 4, perThread = 15;
    {
        SettingsFileUserDefaults store(path());
        std::vector<std::thread> workers;
        for (int t = 0; t < threads; ++t) {
            workers.emplace_back([&store, t] {
                for (int i = 0; i < perThread; ++i) {
                    const std::string key = "thread" + std::to_string(t) + ".value" + std::to_string(i);
                    store.setInteger(key, t * 1000 + i);
                    (void)store.integerValue(key);
                    (void)DisplaySettings(store).batteryMode();
                }
            });
        }
        for (auto& worker : workers) worker.join();
    }
    SettingsFileUserDefaults reopened(path());
    for (int t = 0; t < threads; ++t)
        for (int i = 0; i < perThread; ++i)
            EXPECT_EQ(reopened.integerValue("thread" + std::to_string(t) + ".value" + std::to_string(i)), t * 1000 + i);
}

TEST(SettingsFilePath, LivesInTheXdgConfigHome) {
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", "/tmp/quaylight-config-home");
    EXPECT_EQ(SettingsFileUserDefaults::defaultPath(), "/tmp/quaylight-config-home/Quaylight/Quaylight.conf");
    if (saved.isNull()) qunsetenv("XDG_CONFIG_HOME");
    else qputenv("XDG_CONFIG_HOME", saved);
}

}  // namespace
}  // namespace quaylight
