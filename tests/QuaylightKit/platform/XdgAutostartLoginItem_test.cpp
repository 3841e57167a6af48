#include "QuaylightKit/platform/XdgAutostartLoginItem.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "tests/support/TempDir.h"

namespace quaylight {
namespace {

namespace fs = std::filesystem;
using Status = LoginItem::Status;
using Result = LoginItem::ChangeResult;

constexpr const char* kExecutable = "/usr/local/bin/quaylight";

// Sets XDG_CONFIG_HOME for one test and puts the old value back.
class ConfigHomeVariable {
public:
    explicit ConfigHomeVariable(const std::string& value) {
        if (const char* old = std::getenv("XDG_CONFIG_HOME")) saved_ = old;
        ::setenv("XDG_CONFIG_HOME", value.c_str(), 1);
    }
    ~ConfigHomeVariable() {
        if (saved_)
            ::setenv("XDG_CONFIG_HOME", saved_->c_str(), 1);
        else
            ::unsetenv("XDG_CONFIG_HOME");
    }

private:
    std::optional<std::string> saved_;
};

TEST(XdgAutostartLoginItem, WritesReadsAndRemovesARealEntry) {
    testsupport::TempDir dir;
    const auto configHome = (dir / "config").string();  // not there yet
    ConfigHomeVariable variable(configHome);
    XdgAutostartLoginItem item(kExecutable);
    EXPECT_EQ(item.settingsLocation(), configHome + "/autostart");
    EXPECT_EQ(item.status(), Status::notRegistered);

    EXPECT_EQ(item.registerItem(), Result::enabled);
    EXPECT_EQ(item.status(), Status::enabled);
    EXPECT_EQ(dir.read("config/autostart/quaylight.desktop"),
              "[Desktop Entry]\n"
              "Type=Application\n"
              "Name=Quaylight\n"
              "Comment=Listening ports and coding agents at a glance\n"
              "Exec=/usr/local/bin/quaylight\n"
              "Icon=quaylight\n"
              "Terminal=false\n"
              "X-GNOME-Autostart-enabled=true\n");
    struct stat info {};
    ASSERT_EQ(::stat(item.entryPath().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);
    EXPECT_EQ(std::distance(fs::directory_iterator(item.autostartFolder()), fs::directory_iterator()), 1);

    EXPECT_EQ(item.registerItem(), Result::enabled);  // again: the entry is rewritten in place
    EXPECT_EQ(item.unregisterItem(), Result::disabled);
    EXPECT_FALSE(fs::exists(item.entryPath()));
    EXPECT_EQ(item.unregisterItem(), Result::disabled);  // nothing left to remove
    EXPECT_TRUE(fs::exists(item.autostartFolder()));     // the folder stays
}

TEST(XdgAutostartLoginItem, AnEntryCountsOnlyWhenItStartsThisExecutableAndIsOn) {
    testsupport::TempDir dir;
    XdgAutostartLoginItem item(kExecutable, dir.path().string());
    const std::string head = "[Desktop Entry]\nType=Application\nName=Quaylight\n";
    const std::vector<std::pair<std::string, Status>> cases{
        {head + "Exec=/usr/local/bin/quaylight\n", Status::enabled},
        {head + "Exec = /usr/local/bin/quaylight --flag %U\r\n", Status::enabled},
        {head + "Exec=\"/usr/local/bin/quaylight\"\n", Status::enabled},
        {head + "Exec=/opt/old/bin/quaylight\n", Status::notRegistered},
        {head + "Exec=/usr/local/bin/quaylight\nHidden=true\n", Status::notRegistered},
        {head + "Exec=/usr/local/bin/quaylight\nX-GNOME-Autostart-enabled=false\n", Status::notRegistered},
        {"[Desktop Entry]\nType=Link\nExec=/usr/local/bin/quaylight\n", Status::notRegistered},
        {"[Other Group]\nType=Application\nExec=/usr/local/bin/quaylight\n", Status::notRegistered},
        {head + "Exec=\"/usr/local/bin/quaylight\n", Status::notRegistered},  // unclosed quote
        {"", Status::notRegistered},
    };
    for (const auto& [text, status] : cases) {
        dir.write("autostart/quaylight.desktop", text);
        EXPECT_EQ(item.status(), status) << text;
    }
    fs::remove(item.entryPath());
    fs::create_directory(item.entryPath());  // not a file
    EXPECT_EQ(item.status(), Status::notRegistered);
    EXPECT_EQ(item.registerItem(), Result::failed);
}

TEST(XdgAutostartLoginItem, PathsWithBlanksQuotesAndPercentSurviveTheExecLine) {
    testsupport::TempDir dir;
    for (std::string path : {"/opt/My Apps/bin/quaylight", "/opt/a\"b$c`d\\e/quaylight", "/opt/100%/quaylight"}) {
        XdgAutostartLoginItem item(path, dir.path().string());
        EXPECT_EQ(XdgAutostartLoginItem::launchedProgram(XdgAutostartLoginItem::entryText(path)), path);
        EXPECT_EQ(item.registerItem(), Result::enabled) << path;
        EXPECT_EQ(XdgAutostartLoginItem(kExecutable, dir.path().string()).status(), Status::notRegistered);
    }
    EXPECT_NE(XdgAutostartLoginItem::entryText("/opt/My Apps/quaylight").find("Exec=\"/opt/My Apps/quaylight\"\n"),
              std::string::npos);
    EXPECT_NE(XdgAutostartLoginItem::entryText("/opt/a\\b/quaylight").find("Exec=\"/opt/a\\\\\\\\b/quaylight\"\n"),
              std::string::npos);
}

TEST(XdgAutostartLoginItem, ConfigHomeMustBeAnAbsolutePath) {
    ConfigHomeVariable variable("relative/config");
    EXPECT_TRUE(XdgAutostartLoginItem::configHomeFromEnvironment().ends_with("/.config"));
}

}  // namespace
}  // namespace quaylight
