// The agent connections card on a temporary HOME, with the running path set to the
// installed one: what each status shows, what Connect and Disconnect do to the agents'
// settings files, files that must be left alone, and the relay through a real hook server.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include "PopoutHarness.h"
#include "Quaylight/agent-hooks/server/AgentHookSocketServer.h"
#include "Quaylight/design/theme/PremiumTheme.h"
#include "SettingsTestSupport.h"

namespace quaylight {
namespace {

using test::buttonNamed;
using test::PopoutHarness;

std::string fileText(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const std::string& path, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path) << text;
}

QString caption(const QWidget& root, AgentKind provider) {
    auto* label = root.findChild<QLabel*>(QStringLiteral("connectionCaption.") + QString::fromUtf8(rawValue(provider).data()));
    return label != nullptr ? label->text() : QStringLiteral("<none>");
}

// The accessible names of the buttons in a provider's row, left to right.
std::vector<QString> rowButtons(const QWidget& root, AgentKind provider) {
    const QString title = provider == AgentKind::claude ? QStringLiteral("Claude") : QStringLiteral("Codex");
    std::vector<QString> names;
    for (const char* pattern : {"Connect %1", "Repair %1 connection", "Test %1 relay", "Disconnect %1"})
        if (buttonNamed(root, QString::fromUtf8(pattern).arg(title))) names.push_back(QString::fromUtf8(pattern).arg(title));
    return names;
}

bool hasQuaylightHook(const std::string& text) { return text.find("agent-event") != std::string::npos; }

TEST(AgentConnectionsCard, ConnectAndDisconnectEditTheSettingsFilesKeepingTheUsersContent) {
    PopoutHarness h;
    const std::string claudeFile = h.homePath() + "/.claude/settings.json";
    const std::string codexFile = h.homePath() + "/.codex/hooks.json";
    writeFile(claudeFile, "{\n  \"theme\": \"dark\",\n  \"permissions\": {\"allow\": [\"Bash(ls)\"]}\n}\n");
    h.build();
    h.view->show();
    EXPECT_EQ(caption(*h.view, AgentKind::claude),
              QStringLiteral("Not connected. Connect installs Quaylight's event hooks in your ~/.claude settings."));
    EXPECT_EQ(rowButtons(*h.view, AgentKind::codex), std::vector<QString>{QStringLiteral("Connect Codex")});

    buttonNamed(*h.view, QStringLiteral("Connect Claude"))->click();
    QCoreApplication::processEvents();
    const auto claude = nlohmann::json::parse(fileText(claudeFile));
    EXPECT_EQ(claude["theme"], "dark");
    EXPECT_EQ(claude["permissions"]["allow"][0], "Bash(ls)");
    EXPECT_TRUE(hasQuaylightHook(fileText(claudeFile)));
    EXPECT_EQ(caption(*h.view, AgentKind::claude),
              QStringLiteral("Claude is configured and waiting for its first trusted event."));
    EXPECT_EQ(rowButtons(*h.view, AgentKind::claude),
              (std::vector<QString>{QStringLiteral("Test Claude relay"), QStringLiteral("Disconnect Claude")}));
    EXPECT_EQ(h.stored("bool/agentConnections.claude.configured").toString(), QStringLiteral("true"));

    buttonNamed(*h.view, QStringLiteral("Connect Codex"))->click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(hasQuaylightHook(fileText(codexFile)));
    EXPECT_EQ(caption(*h.view, AgentKind::codex),
              QStringLiteral("Installed — approve Quaylight's hooks in Codex's hook-trust prompt to finish connecting."));

    // An event makes the row connected, with its time.
    h.connections->recordEnvelope({AgentHookProtocol::protocolVersion, AgentKind::claude,
                                   AgentHookProtocol::EventKind::promptSubmitted, "s1", std::nullopt, 0},
                                  wallNow());
    QCoreApplication::processEvents();
    EXPECT_EQ(caption(*h.view, AgentKind::claude), QStringLiteral("Connected · last event at 3:04 PM"));

    buttonNamed(*h.view, QStringLiteral("Disconnect Claude"))->click();
    QCoreApplication::processEvents();
    EXPECT_FALSE(hasQuaylightHook(fileText(claudeFile)));
    const auto after = nlohmann::json::parse(fileText(claudeFile));
    EXPECT_EQ(after["theme"], "dark");
    EXPECT_EQ(after["permissions"]["allow"][0], "Bash(ls)");
    EXPECT_EQ(caption(*h.view, AgentKind::claude),
              QStringLiteral("Not connected. Connect installs Quaylight's event hooks in your ~/.claude settings."));
}

TEST(AgentConnectionsCard, FilesThatMustBeLeftAloneStayByteIdentical) {
    struct Case {
        const char* what;
        std::function<std::string(const std::string& home)> prepare;  // returns the file to compare
        std::string notice;
    };
    const std::vector<Case> cases{
        {"not JSON",
         [](const std::string& home) {
             writeFile(home + "/.claude/settings.json", "{ this is not json ,,\n");
             return home + "/.claude/settings.json";
         },
         "The Claude settings file contains invalid JSON. Quaylight won't overwrite it — fix the file, then retry."},
        {"symlink",
         [](const std::string& home) {
             writeFile(home + "/elsewhere/real.json", "{\"mine\": true}\n");
             std::filesystem::create_directories(home + "/.claude");
             std::filesystem::create_symlink(home + "/elsewhere/real.json", home + "/.claude/settings.json");
             return home + "/elsewhere/real.json";
         },
         "The Claude settings file is a symlink — Quaylight only edits regular files."},
        {"a repeated key",
         [](const std::string& home) {
             writeFile(home + "/.claude/settings.json", "{\"model\": {\"ratio\": 1.10, \"ratio\": 2.50}}\n");
             return home + "/.claude/settings.json";
         },
         "Couldn't update the Claude configuration: the key \"model.ratio\" appears twice in one object and only one "
         "could be kept, so the file was left as it is — remove one of them, then retry."},
    };
    for (const auto& c : cases) {
        PopoutHarness h;
        const std::string watched = c.prepare(h.homePath());
        const std::string before = fileText(watched);
        h.build();
        buttonNamed(*h.view, QStringLiteral("Connect Claude"))->click();
        QCoreApplication::processEvents();
        EXPECT_EQ(fileText(watched), before) << c.what;
        auto* notice = h.view->findChild<QWidget*>(QStringLiteral("actionNotice"));
        ASSERT_NE(notice, nullptr) << c.what;
        EXPECT_TRUE(test::showsText(*h.view, QString::fromStdString(c.notice))) << c.what;
        EXPECT_NE(h.stored("bool/agentConnections.claude.configured").toString(), QStringLiteral("true")) << c.what;
        // Dismissing the notice removes only the notice.
        buttonNamed(*h.view, QStringLiteral("Dismiss notice"))->click();
        QCoreApplication::processEvents();
        EXPECT_EQ(h.view->findChild<QWidget*>(QStringLiteral("actionNotice")), nullptr) << c.what;
    }
}

TEST(AgentConnectionsCard, AnotherUsersFileStaysByteIdentical) {
    if (geteuid() != 0) GTEST_SKIP() << "only root can give a file to another user";
    PopoutHarness h;
    const std::string file = h.homePath() + "/.claude/settings.json";
    writeFile(file, "{\"theirs\": 1}\n");
    ASSERT_EQ(::chown(file.c_str(), 65534, 65534), 0);
    h.build();
    buttonNamed(*h.view, QStringLiteral("Connect Claude"))->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(fileText(file), "{\"theirs\": 1}\n");
    EXPECT_TRUE(test::showsText(
        *h.view, QStringLiteral("The Claude settings file isn't owned by you — fix its ownership, then retry.")));
}

TEST(AgentConnectionsCard, ReceiverFailureAndNoticeShowInOrder) {
    PopoutHarness h;
    h.build();
    int retries = 0;
    h.connections->onConfiguredChange = [&retries] { ++retries; };
    h.connections->setReceiverFailure(std::string("the socket folder is not private"));
    h.connections->setActionNotice(std::string("Something to say."));
    QCoreApplication::processEvents();
    EXPECT_TRUE(test::showsText(
        *h.view, QStringLiteral("Configured, but not receiving events — the socket folder is not private")));
    EXPECT_TRUE(test::showsText(*h.view, QStringLiteral("Something to say.")));
    buttonNamed(*h.view, QStringLiteral("Retry starting the event receiver"))->click();
    EXPECT_EQ(retries, 1);
    buttonNamed(*h.view, QStringLiteral("Dismiss notice"))->click();
    QCoreApplication::processEvents();
    EXPECT_FALSE(test::showsText(*h.view, QStringLiteral("Something to say.")));
    EXPECT_TRUE(test::showsText(
        *h.view, QStringLiteral("Configured, but not receiving events — the socket folder is not private")));
}

// A hook server on the harness's HOME whose envelopes reach the store on this thread.
struct RunningServer {
    std::unique_ptr<AgentHookSocketServer> server;
    explicit RunningServer(PopoutHarness& h) {
        AgentProviderConnectionStore* store = h.connections.get();
        server = std::make_unique<AgentHookSocketServer>(
            AgentHookPaths::standard(h.homePath()), AgentHookSocketServer::Dependencies{},
            [store](const AgentHookProtocol::Envelope& envelope, WallTime at) {
                QMetaObject::invokeMethod(qApp, [store, envelope, at] { store->recordEnvelope(envelope, at); },
                                          Qt::QueuedConnection);
            });
    }
    ~RunningServer() { server->stop(); }
};

QLabel* relayLine(const QWidget& root, AgentKind provider) {
    return root.findChild<QLabel*>(QStringLiteral("relayTest.") + QString::fromUtf8(rawValue(provider).data()));
}

TEST(AgentConnectionsCard, RelayTestPassesThroughARealServerUnderItsRowOnly) {
    PopoutHarness h;
    h.build();
    buttonNamed(*h.view, QStringLiteral("Connect Claude"))->click();
    buttonNamed(*h.view, QStringLiteral("Connect Codex"))->click();
    RunningServer running(h);
    ASSERT_FALSE(running.server->start());
    buttonNamed(*h.view, QStringLiteral("Test Claude relay"))->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return relayLine(*h.view, AgentKind::claude) != nullptr; }, 5000));
    EXPECT_EQ(relayLine(*h.view, AgentKind::claude)->text(),
              QStringLiteral("Relay test passed — the socket and app are reachable."));
    EXPECT_EQ(relayLine(*h.view, AgentKind::codex), nullptr);

    // A later Codex test moves the line to the Codex row.
    running.server->stop();
    buttonNamed(*h.view, QStringLiteral("Test Codex relay"))->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return relayLine(*h.view, AgentKind::codex) != nullptr; }, 5000));
    EXPECT_EQ(relayLine(*h.view, AgentKind::codex)->text(),
              QStringLiteral("Relay test failed — Quaylight's socket isn't reachable."));
    EXPECT_EQ(relayLine(*h.view, AgentKind::claude), nullptr);
}

TEST(AgentConnectionsCard, ARealAgentEventRunConnectsTheRow) {
    PopoutHarness h;
    h.build();
    buttonNamed(*h.view, QStringLiteral("Connect Claude"))->click();
    RunningServer running(h);
    ASSERT_FALSE(running.server->start());
    QProcess relay;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), QString::fromStdString(h.homePath()));
    relay.setProcessEnvironment(environment);
    relay.start(QStringLiteral(QUAYLIGHT_EXECUTABLE),
                {QStringLiteral("agent-event"), QStringLiteral("--provider"), QStringLiteral("claude"),
                 QStringLiteral("--protocol"), QStringLiteral("1")});
    ASSERT_TRUE(relay.waitForStarted());
    relay.write(R"({"session_id":"s-42","hook_event_name":"UserPromptSubmit","cwd":"/tmp"})");
    relay.closeWriteChannel();
    ASSERT_TRUE(relay.waitForFinished(10000));
    EXPECT_EQ(relay.exitCode(), 0);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return caption(*h.view, AgentKind::claude) == QStringLiteral("Connected · last event at 3:04 PM"); },
        5000))
        << caption(*h.view, AgentKind::claude).toStdString();
    EXPECT_EQ(rowButtons(*h.view, AgentKind::claude),
              (std::vector<QString>{QStringLiteral("Test Claude relay"), QStringLiteral("Disconnect Claude")}));
}

// 1.10 and 2.50 are numbers like any other: Connect edits the file and keeps their values.
TEST(AgentConnectionsCard, NumbersWithTrailingZerosAreConnected) {
    PopoutHarness h;
    const std::string claudeFile = h.homePath() + "/.claude/settings.json";
    writeFile(claudeFile, "{\"ratio\": 1.10, \"scale\": 2.50}\n");
    h.build();
    buttonNamed(*h.view, QStringLiteral("Connect Claude"))->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(h.view->findChild<QWidget*>(QStringLiteral("actionNotice")), nullptr);
    EXPECT_TRUE(hasQuaylightHook(fileText(claudeFile)));
    const auto after = nlohmann::json::parse(fileText(claudeFile));
    EXPECT_EQ(after["ratio"], 1.1);
    EXPECT_EQ(after["scale"], 2.5);
    EXPECT_EQ(h.stored("bool/agentConnections.claude.configured").toString(), QStringLiteral("true"));
}

TEST(AgentConnectionsCard, GalleryOfTheCard) {
    const std::pair<const char*, const char*> notices[] = {
        {"card-connections", "Move Quaylight to /usr/local/bin, then connect."},
        {"card-connections-refused",
         "Couldn't update the Claude configuration: the key \"model.ratio\" appears twice in one object and only one "
         "could be kept, so the file was left as it is \u2014 remove one of them, then retry."},
    };
    for (const auto& [name, notice] : notices) {
        PopoutHarness h;
        h.build();
        buttonNamed(*h.view, QStringLiteral("Connect Claude"))->click();
        h.connections->recordEnvelope({AgentHookProtocol::protocolVersion, AgentKind::claude,
                                       AgentHookProtocol::EventKind::promptSubmitted, "s1", std::nullopt, 0},
                                      wallNow());
        h.connections->setActionNotice(std::string(notice));
        h.view->resize(668, 1600);
        h.view->show();
        QCoreApplication::processEvents();
        QWidget* card = nullptr;
        for (auto* label : h.view->findChildren<QLabel*>())
            if (label->text() == QStringLiteral("Agent connections"))
                card = label->parentWidget()->parentWidget()->parentWidget();
        ASSERT_NE(card, nullptr);
        const QImage whole = test::render(*h.view, 2.0, PremiumTheme::panelTop());
        const QRect area(card->mapTo(h.view.get(), QPoint(0, 0)), card->size());
        test::saveToGallery(whole.copy(QRect(area.topLeft() * 2, area.size() * 2).adjusted(-40, -40, 40, 40)),
                            QString::fromUtf8(name));
    }
}

}  // namespace
}  // namespace quaylight
