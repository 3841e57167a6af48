// The settings file when it cannot be read or written, on real files: what the store reads,
// what it tells (and keeps telling until a write succeeds), and that it never blocks or waits
// on a lock file.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSysInfo>
#include <QTemporaryDir>
#include <fcntl.h>
#include <grp.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "ProcessCoreKit/support/OwnedDescriptor.h"
#include "Quaylight/shell/defaults/SettingsFileUserDefaults.h"
#include "Quaylight/shell/defaults/SettingsKeys.h"
#include "tests/Quaylight/shell/defaults/SettingsFileFixture.h"

namespace quaylight {
namespace {

// Some tests drop to user nobody in a child, who must reach the folder: as root the run's
// own temporary folder may be private, so those folders go under the shared /tmp instead.
QString folderTemplate() {
    const QString parent = ::geteuid() == 0 ? QStringLiteral("/tmp") : QDir::tempPath();
    return parent + QStringLiteral("/quaylight-settings-XXXXXX");
}

class SettingsFileFailureTest : public test::SettingsFileFixture {
protected:
    SettingsFileFailureTest() : SettingsFileFixture(folderTemplate()) {}
};

std::string readFailure(const std::string& path, const std::string& reason) {
    return SettingsFileUserDefaults::readFailureText(path, reason);
}

// What happens to the files of a folder, as the kernel reports it.
struct FolderWatch {
    struct Event {
        std::uint32_t mask;
        std::string name;
    };
    explicit FolderWatch(const QString& folder) : events(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        ::inotify_add_watch(events.get(), folder.toLocal8Bit().constData(),
                            IN_OPEN | IN_ACCESS | IN_MODIFY | IN_ATTRIB | IN_DELETE | IN_CLOSE);
    }
    // What was opened, read, changed or removed since the last call.
    std::vector<Event> happened() {
        std::vector<Event> seen;
        alignas(inotify_event) char buffer[8192];
        for (ssize_t got; (got = ::read(events.get(), buffer, sizeof buffer)) > 0;) {
            for (char* at = buffer; at < buffer + got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(at);
                if (event->len > 0) seen.push_back({event->mask, event->name});
                at += sizeof(inotify_event) + event->len;
            }
        }
        return seen;
    }
    OwnedDescriptor events;
};

// ---- Files that cannot be read

struct UnreadableCase {
    const char* name;
    std::function<void(const QString& path)> make;
    std::string reason;
};

TEST_F(SettingsFileFailureTest, FilesThatCannotBeReadGiveDefaultsANoticeWithTheReasonAndStayUntouched) {
    const std::vector<UnreadableCase> cases{
        {"folder", [](const QString& p) { QDir().mkpath(p); }, "it is a folder, not a file"},
        // No writer ever opens it: an open that waited for one would hang here.
        {"fifo", [](const QString& p) { ASSERT_EQ(::mkfifo(p.toLocal8Bit().constData(), 0600), 0); },
         "it is not a regular file"},
        {"junk over the limit",
         [](const QString& p) {
             QFile file(p);
             ASSERT_TRUE(file.open(QIODevice::WriteOnly));
             const QByteArray chunk(64 * 1024, 'x');
             for (std::int64_t written = 0; written <= SettingsFileUserDefaults::sizeLimit; written += chunk.size())
                 file.write(chunk);
         },
         "it is larger than 1 MB, far more than settings take"},
        {"looping symlink",
         [](const QString& p) { ASSERT_EQ(::symlink(p.toLocal8Bit().constData(), p.toLocal8Bit().constData()), 0); },
         "it is a symbolic link that leads back to itself"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir home;
        const QString folderPath = home.path() + QStringLiteral("/Quaylight");
        const QString filePath = folderPath + QStringLiteral("/Quaylight.conf");
        QDir().mkpath(folderPath);
        c.make(filePath);
        const auto before = QFileInfo(filePath);
        const QByteArray bytesBefore = [&] {
            QFile file(filePath);
            return before.isFile() && before.size() < 4096 && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        }();

        SettingsFileUserDefaults store(filePath.toStdString());
        EXPECT_EQ(store.readFailureNotice(), readFailure(filePath.toStdString(), c.reason));
        EXPECT_EQ(store.notice(), store.readFailureNotice());
        EXPECT_FALSE(store.contains("display.showPort"));
        // Changes live in memory, and stay unsaved for the whole run.
        store.setBool(SettingsKeys::showCPU, true);
        store.synchronize();
        EXPECT_EQ(store.boolValue(SettingsKeys::showCPU), true);
        EXPECT_EQ(store.notice(), store.readFailureNotice());

        const QFileInfo after(filePath);
        EXPECT_EQ(after.isSymLink(), before.isSymLink());
        EXPECT_EQ(after.isDir(), before.isDir());
        EXPECT_EQ(after.size(), before.size());
        if (!bytesBefore.isEmpty()) {
            QFile file(filePath);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            EXPECT_EQ(file.readAll(), bytesBefore);
        }
        EXPECT_EQ(QDir(folderPath).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
                  QStringList{QStringLiteral("Quaylight.conf")});
    }
}

TEST_F(SettingsFileFailureTest, LinesThatAreNotSettingsAreReadPastAndSurviveAWrite) {
    QByteArray junk("\x7f" "ELF\x02\x01\x01", 7);
    junk.append(3, '\0');
    writeFile(junk + " binary junk\n[bool]\ndisplay.showPort=false\n# not a comment to QSettings\n");
    {
        SettingsFileUserDefaults store(path());
        EXPECT_FALSE(store.notice());
        EXPECT_EQ(store.boolValue("display.showPort"), false);
        store.setBool(SettingsKeys::showCPU, true);
    }
    EXPECT_EQ(fileBytes(), junk + " binary junk\n\n[bool]\ndisplay.showPort=false\n# not a comment to QSettings\n"
                                  "display.showCPU=true\n");
}

TEST_F(SettingsFileFailureTest, AFileOverTheLimitIsNeverRead) {
    writeFile("[bool]\ndisplay.showPort=false\n");
    std::filesystem::resize_file(path(), 50 * 1024 * 1024);
    FolderWatch watch(folder());
    SettingsFileUserDefaults store(path());
    EXPECT_TRUE(store.readFailureNotice());
    bool opened = false;
    for (const auto& event : watch.happened()) {
        opened |= (event.mask & IN_OPEN) != 0;
        EXPECT_EQ(event.mask & IN_ACCESS, 0u) << event.name;
    }
    EXPECT_TRUE(opened);
}

TEST_F(SettingsFileFailureTest, AFileJustUnderTheLimitIsRead) {
    QByteArray text = "[bool]\ndisplay.showPort=false\n[text]\npadding=";
    text += QByteArray(SettingsFileUserDefaults::sizeLimit - text.size() - 1, 'p');
    text += '\n';
    ASSERT_EQ(text.size(), SettingsFileUserDefaults::sizeLimit);
    writeFile(text);
    SettingsFileUserDefaults store(path());
    EXPECT_FALSE(store.notice());
    EXPECT_EQ(store.boolValue("display.showPort"), false);
}

TEST_F(SettingsFileFailureTest, ADanglingSymlinkIsAMissingFileAndTheFirstWriteCreatesWhatItNames) {
    QDir().mkpath(folder());
    const QString target = folder_.path() + QStringLiteral("/dotfiles/Quaylight.conf");
    QDir().mkpath(folder_.path() + QStringLiteral("/dotfiles"));
    ASSERT_EQ(::symlink(target.toLocal8Bit().constData(), path().c_str()), 0);
    SettingsFileUserDefaults store(path());
    EXPECT_FALSE(store.notice());
    store.setBool(SettingsKeys::showCPU, true);
    store.synchronize();
    EXPECT_FALSE(store.notice());
    EXPECT_TRUE(QFileInfo(qPath()).isSymLink());
    EXPECT_TRUE(QFileInfo(target).isFile());
    EXPECT_EQ(SettingsFileUserDefaults(path()).boolValue(SettingsKeys::showCPU), true);
}

// ---- Writes that fail

TEST_F(SettingsFileFailureTest, AFailedWriteIsToldUntilAWriteSucceedsAndNothingIsLostMeanwhile) {
    // A link into /proc, where nobody, root included, can make a file.
    QDir().mkpath(folder());
    ASSERT_EQ(::symlink("/proc/quaylight-settings-test/Quaylight.conf", path().c_str()), 0);
    SettingsFileUserDefaults store(path());
    EXPECT_FALSE(store.notice());
    int published = 0;
    store.addObserver([&] { ++published; });

    store.setBool(SettingsKeys::showCPU, true);
    store.synchronize();
    EXPECT_FALSE(store.lastWriteSucceeded());
    ASSERT_TRUE(store.notice());
    const std::string prefix = "Quaylight couldn't save its settings file (" + path() + "): ";
    EXPECT_EQ(store.notice()->rfind(prefix, 0), 0u) << *store.notice();
    EXPECT_TRUE(store.notice()->ends_with(". Changes won't be kept after Quaylight quits.")) << *store.notice();
    EXPECT_EQ(published, 1);
    EXPECT_EQ(store.boolValue(SettingsKeys::showCPU), true);

    // Failing again the same way says nothing new.
    store.setBool(SettingsKeys::showMemory, true);
    store.synchronize();
    EXPECT_TRUE(store.notice());
    EXPECT_EQ(published, 1);

    // The user removes the link: the next write keeps everything changed meanwhile.
    ASSERT_TRUE(QFile::remove(qPath()));
    store.setBool(SettingsKeys::showPort, false);
    store.synchronize();
    EXPECT_TRUE(store.lastWriteSucceeded());
    EXPECT_FALSE(store.notice());
    EXPECT_EQ(published, 2);
    SettingsFileUserDefaults reopened(path());
    EXPECT_EQ(reopened.boolValue(SettingsKeys::showCPU), true);
    EXPECT_EQ(reopened.boolValue(SettingsKeys::showMemory), true);
    EXPECT_EQ(reopened.boolValue(SettingsKeys::showPort), false);
}

// Runs `body` in a child process that permissions apply to: as root, the child becomes the
// user nobody (who is given `folder` first). `body` returns what went wrong, "" when nothing.
std::string inUnprivilegedChild(const QString& folder, const std::function<std::string()>& body) {
    constexpr uid_t nobody = 65534;
    const bool root = ::geteuid() == 0;
    if (root) {
        ::chown(folder.toLocal8Bit().constData(), nobody, nobody);
        QDirIterator entries(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System | QDir::Hidden,
                             QDirIterator::Subdirectories);
        while (entries.hasNext()) ::lchown(entries.next().toLocal8Bit().constData(), nobody, nobody);
    }
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) return "no pipe";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        std::string failures;
        if (root && (::setgroups(0, nullptr) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0))
            failures = "could not become nobody";
        else
            failures = body();
        if (failures.empty()) failures = "ok";
        (void)!::write(pipeEnds[1], failures.data(), failures.size());
        ::_exit(0);
    }
    ::close(pipeEnds[1]);
    std::string said;
    char buffer[512];
    for (ssize_t got; (got = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;) said.append(buffer, static_cast<size_t>(got));
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status)) return "the child ended abnormally";
    return said == "ok" ? "" : said;
}

TEST_F(SettingsFileFailureTest, AFileNobodyMayReadIsNeverTouchedAndItsNoticeSaysWhy) {
    writeFile("[bool]\ndisplay.showPort=false\n");
    ASSERT_EQ(::chmod(path().c_str(), 0), 0);
    const std::string file = path();
    const std::string failures = inUnprivilegedChild(folder_.path(), [&] {
        SettingsFileUserDefaults store(file);
        if (store.notice() != readFailure(file, "you don't have permission to read it"))
            return "notice: " + store.notice().value_or("none");
        store.setBool("display.showPort", true);
        store.synchronize();
        if (store.boolValue("display.showPort") != true) return std::string("the change is not in memory");
        return std::string();
    });
    EXPECT_EQ(failures, "");
    ASSERT_EQ(::chmod(path().c_str(), 0600), 0);
    EXPECT_EQ(fileBytes(), QByteArray("[bool]\ndisplay.showPort=false\n"));
}

TEST_F(SettingsFileFailureTest, AReadOnlyFolderReadsButEveryWriteIsToldUntilTheFolderIsWritableAgain) {
    writeFile("[bool]\ndisplay.showPort=false\n");
    ASSERT_EQ(::chmod(folder().toLocal8Bit().constData(), 0555), 0);
    const std::string file = path();
    const QByteArray folderPath = folder().toLocal8Bit();
    const std::string failures = inUnprivilegedChild(folder_.path(), [&]() -> std::string {
        SettingsFileUserDefaults store(file);
        if (store.notice()) return "notice at start: " + *store.notice();
        if (store.boolValue("display.showPort") != false) return "the stored value was not read";
        int published = 0;
        store.addObserver([&] { ++published; });
        store.setBool("display.showPort", true);
        store.synchronize();
        const auto notice = store.notice();
        if (!notice || notice->rfind("Quaylight couldn't save its settings file (" + file + "): ", 0) != 0)
            return "notice after the write: " + notice.value_or("none");
        if (published != 1) return "observers told " + std::to_string(published) + " times";
        if (store.boolValue("display.showPort") != true) return "the change is not in memory";
        ::chmod(folderPath.constData(), 0755);
        store.setBool("display.showCPU", true);
        store.synchronize();
        if (store.notice()) return "notice after the folder was fixed: " + *store.notice();
        if (published != 2) return "observers told " + std::to_string(published) + " times";
        return {};
    });
    EXPECT_EQ(failures, "");
    SettingsFileUserDefaults reopened(path());
    EXPECT_EQ(reopened.boolValue("display.showPort"), true);
    EXPECT_EQ(reopened.boolValue("display.showCPU"), true);
}

// ---- No lock file

TEST_F(SettingsFileFailureTest, AStaleLockNamingThisVeryProcessIsNeverConsulted) {
    writeFile("[bool]\ndisplay.showPort=false\n");
    // What a write killed with this PID leaves behind, as fresh as can be.
    const QString lockPath = qPath() + QStringLiteral(".lock");
    const QByteArray lock = QByteArray::number(::getpid()) + "\n" +
                            QFileInfo(QCoreApplication::applicationFilePath()).fileName().toUtf8() + "\n" +
                            QSysInfo::machineHostName().toUtf8() + "\n";
    {
        QFile file(lockPath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(lock);
    }
    // Qt's lock counts it as held by a live process: QSettings would wait for it.
    {
        QLockFile probe(lockPath);
        EXPECT_FALSE(probe.tryLock(0));
        qint64 pid = 0;
        QString host, application;
        ASSERT_TRUE(probe.getLockInfo(&pid, &host, &application));
        EXPECT_EQ(pid, ::getpid());
    }

    FolderWatch watch(folder());
    {
        SettingsFileUserDefaults store(path());
        EXPECT_EQ(store.boolValue("display.showPort"), false);
        store.setBool("display.showPort", true);
        store.synchronize();
        EXPECT_TRUE(store.lastWriteSucceeded());
    }
    const auto touched = watch.happened();
    EXPECT_FALSE(touched.empty());  // the watch sees the settings file's own reads and writes
    for (const auto& event : touched) EXPECT_NE(event.name, "Quaylight.conf.lock");
    EXPECT_EQ(SettingsFileUserDefaults(path()).boolValue("display.showPort"), true);
    QFile file(lockPath);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), lock);
}

}  // namespace
}  // namespace quaylight
