#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "Quaylight/agent-hooks/config/AgentHookConfigurator.h"
#include "Quaylight/agent-hooks/config/ExactSettingsJson.h"
#include "Quaylight/agent-hooks/config/ProviderHookConfigurators.h"
#include "tests/Quaylight/agent-hooks/support/HookFixtures.h"

namespace quaylight {
namespace {

using C = AgentHookConfigurator;
using Kind = C::ConfigError::Kind;
using StateKind = C::InstallState::Kind;
using Json = nlohmann::ordered_json;
using testsupport::folderEntries;
using testsupport::readFile;

class SettingsFile : public ::testing::Test {
protected:
    testsupport::HookHome home;
    std::string path = home.claudeSettings();

    std::vector<C::DesiredEntry> claude() const { return ClaudeHookConfigurator::desiredEntries(home.socketPath()); }
    std::vector<C::DesiredEntry> codex() const { return CodexHookConfigurator::desiredEntries(home.socketPath()); }
    StateKind inspect(const std::vector<C::DesiredEntry>& desired) const {
        return C::inspect(path, desired, home.owned()).kind;
    }
    std::optional<C::ConfigError> install() const { return C::install(path, claude(), home.owned()); }
    static Json parse(const std::string& text) { return Json::parse(text); }
    // The folder holds the settings file alone: no temporary file was left behind.
    void expectOnlySettingsFile() const {
        EXPECT_EQ(folderEntries(home.home() + "/.claude"), std::vector<std::string>{"settings.json"});
    }
};

TEST_F(SettingsFile, DesiredEntriesPerProvider) {
    auto entries = claude();
    ASSERT_EQ(entries.size(), 9u);
    const char* events[] = {"SessionStart", "UserPromptSubmit", "PermissionRequest", "Stop", "StopFailure",
                            "SessionEnd", "Notification", "Notification", "Notification"};
    for (std::size_t i = 0; i < entries.size(); ++i) EXPECT_EQ(entries[i].event, events[i]);
    EXPECT_EQ(entries[0].matcher, std::nullopt);
    EXPECT_EQ(entries[8].matcher, "idle_prompt");
    EXPECT_TRUE(entries[8].command.ends_with("--hint idle_prompt; fi; exit 0"));
    auto codexEntries = codex();
    ASSERT_EQ(codexEntries.size(), 4u);
    EXPECT_EQ(codexEntries[3].event, "Stop");
    EXPECT_NE(codexEntries[3].command.find("--provider codex"), std::string::npos);
}

TEST_F(SettingsFile, InstallWithoutAFileCreatesAPrivateFolderAndFile) {
    EXPECT_EQ(inspect(claude()), StateKind::missing);
    EXPECT_EQ(install(), std::nullopt);
    struct stat folder{}, file{};
    ASSERT_EQ(stat((home.home() + "/.claude").c_str(), &folder), 0);
    ASSERT_EQ(stat(path.c_str(), &file), 0);
    EXPECT_EQ(folder.st_mode & 07777, 0700u);
    EXPECT_EQ(file.st_mode & 07777, 0600u);
    auto root = parse(readFile(path));
    EXPECT_EQ(root.size(), 1u);
    EXPECT_EQ(root["hooks"].size(), 7u);  // six events and "Notification"
    EXPECT_EQ(root["hooks"]["Notification"].size(), 3u);
    EXPECT_EQ(root["hooks"]["Notification"][1],
              parse(R"({"matcher":"agent_needs_input","hooks":[{"type":"command","command":)" +
                    Json(claude()[7].command).dump() + "}]}"));
    EXPECT_EQ(root["hooks"]["Stop"][0], parse(R"({"hooks":[{"type":"command","command":)" +
                                              Json(claude()[3].command).dump() + "}]}"));  // no "matcher"
    EXPECT_EQ(inspect(claude()), StateKind::installed);
    expectOnlySettingsFile();
}

TEST_F(SettingsFile, InstallReplacesOwnEntriesAndKeepsTheUsersFileAsItWas) {
    home.place(path, home.fixture("claude_settings_user_hooks.json"), 0644);
    mode_t previous = umask(077);
    EXPECT_EQ(inspect(claude()), StateKind::outdated);
    EXPECT_EQ(install(), std::nullopt);
    umask(previous);

    EXPECT_EQ(inspect(claude()), StateKind::installed);
    struct stat file{};
    ASSERT_EQ(stat(path.c_str(), &file), 0);
    EXPECT_EQ(file.st_mode & 07777, 0644u);  // kept, whatever the creation mask

    // Exactly the user's file without the own entries, then the desired groups appended.
    Json expected = parse(home.fixture("claude_settings_user_hooks.removed.json"));
    ASSERT_EQ(C::append(claude(), expected), std::nullopt);
    std::string text = readFile(path);
    EXPECT_EQ(parse(text), expected);  // ordered: key order counts
    EXPECT_EQ(text, ExactSettingsJson::serialize(expected));
    EXPECT_NE(text.find("18446744073709551615"), std::string::npos);
    EXPECT_NE(text.find("-9223372036854775808"), std::string::npos);
    EXPECT_NE(text.find("1e-07"), std::string::npos);

    std::vector<std::string> keys;
    for (auto it = expected.begin(); it != expected.end(); ++it) keys.push_back(it.key());
    EXPECT_EQ(keys, (std::vector<std::string>{"model", "permissions", "statusLine", "hooks", "counters", "zzz", "aaa"}));
    expectOnlySettingsFile();
}

TEST_F(SettingsFile, ATemporaryFileLeftByACrashedWriteWithThisPidIsReplaced) {
    home.place(path, home.fixture("claude_settings_user_hooks.json"), 0644);
    std::string stale = C::temporaryPath(path);
    home.place(stale, "half a file from an earlier process with this id", 0600);
    EXPECT_EQ(install(), std::nullopt);
    EXPECT_EQ(inspect(claude()), StateKind::installed);
    expectOnlySettingsFile();

    // A symlink in its place is removed, never followed.
    std::string target = home.home() + "/elsewhere.json";
    home.place(target, "keep", 0600);
    ASSERT_EQ(symlink(target.c_str(), stale.c_str()), 0);
    EXPECT_EQ(C::removeAll(path, home.owned()), std::nullopt);
    EXPECT_EQ(readFile(target), "keep");
    expectOnlySettingsFile();
}

TEST_F(SettingsFile, InstallingTwiceStaysInstalledAndKeepsUserHooksInPlace) {
    home.place(path, home.fixture("claude_settings_user_hooks.json"));
    ASSERT_EQ(install(), std::nullopt);
    std::string once = readFile(path);
    ASSERT_EQ(install(), std::nullopt);
    EXPECT_EQ(readFile(path), once);
    EXPECT_EQ(inspect(claude()), StateKind::installed);
}

TEST_F(SettingsFile, RemovalLeavesOnlyTheUsersHooks) {
    home.place(path, home.fixture("claude_settings_user_hooks.json"));
    EXPECT_EQ(C::removeAll(path, home.owned()), std::nullopt);
    EXPECT_EQ(parse(readFile(path)), parse(home.fixture("claude_settings_user_hooks.removed.json")));
    EXPECT_EQ(inspect(claude()), StateKind::missing);  // only the user's (and a protocol-2 look-alike) remain
    expectOnlySettingsFile();
}

TEST_F(SettingsFile, RemovingTheOnlyHooksLeavesAnEmptyHooksObject) {
    ASSERT_EQ(install(), std::nullopt);
    EXPECT_EQ(C::removeAll(path, home.owned()), std::nullopt);
    EXPECT_EQ(parse(readFile(path)), parse(R"({"hooks":{}})"));
}

TEST_F(SettingsFile, RemovalWithoutOwnEntriesLeavesTheFileUntouched) {
    std::string text = "{\"hooks\": {\"Stop\": [{\"hooks\": [{\"type\": \"command\", \"command\": \"x\"}]}]}}";
    home.place(path, text);
    EXPECT_EQ(C::removeAll(path, home.owned()), std::nullopt);
    EXPECT_EQ(readFile(path), text);
    EXPECT_EQ(C::removeAll(home.home() + "/absent.json", home.owned()), std::nullopt);
}

TEST_F(SettingsFile, OwnEntriesWrittenTwiceStillCountAsInstalledButPartialOnesAreOutdated) {
    path = home.codexHooks();
    home.place(path, home.fixture("codex_hooks_partial.json"));
    EXPECT_EQ(inspect(codex()), StateKind::outdated);
    EXPECT_EQ(C::install(path, codex(), home.owned()), std::nullopt);
    EXPECT_EQ(inspect(codex()), StateKind::installed);
    auto root = parse(readFile(path));
    Json stop = root["hooks"]["Stop"];
    ASSERT_EQ(stop.size(), 1u);
    Json doubled = root;
    doubled["hooks"]["Stop"].push_back(stop[0]);
    home.place(path, doubled.dump());
    EXPECT_EQ(inspect(codex()), StateKind::installed);
}

TEST_F(SettingsFile, FilesThatMayNotBeEditedAreRefusedAndLeftAlone) {
    struct Case {
        const char* name;
        const char* fixture;
        StateKind inspected;
        Kind installError;
    };
    const Case cases[] = {
        {"top-level array", "settings_top_level_array.json", StateKind::invalidJSON, Kind::malformedJSON},
        {"hooks is an array", "settings_hooks_array.json", StateKind::missing, Kind::malformedJSON},
        {"event is not an array", "settings_event_not_array.json", StateKind::missing, Kind::malformedJSON},
    };
    for (const auto& c : cases) {
        std::string text = home.fixture(c.fixture);
        home.place(path, text);
        EXPECT_EQ(inspect(claude()), c.inspected) << c.name;
        auto error = install();
        ASSERT_TRUE(error) << c.name;
        EXPECT_EQ(error->kind, c.installError) << c.name;
        EXPECT_EQ(readFile(path), text) << c.name;
        expectOnlySettingsFile();
    }
    home.place(path, "{\"a\": 1,");
    EXPECT_EQ(inspect(claude()), StateKind::invalidJSON);
}

// 1.10 and 1.1 are one JSON number: the file is rewritten with every value kept.
TEST_F(SettingsFile, NumbersWrittenAnotherWayKeepTheirValuesAndAreEdited) {
    const std::string text = home.fixture("settings_trailing_zero_numbers.json");
    home.place(path, text);
    EXPECT_EQ(install(), std::nullopt);
    EXPECT_EQ(inspect(claude()), StateKind::installed);
    const std::string written = readFile(path);
    EXPECT_NE(written.find("\"ratio\": 1.1,"), std::string::npos) << written;
    EXPECT_NE(written.find("\"scale\": 2.5,"), std::string::npos) << written;
    auto before = parse(text);
    auto after = parse(written);
    for (const char* key : {"ratio", "scale", "tiny", "big", "zero"}) EXPECT_EQ(after[key], before[key]) << key;
    expectOnlySettingsFile();
}

// What a rewrite would change is refused, naming the value and where it stands.
TEST_F(SettingsFile, ValuesThatCannotBeKeptBlockTheRewriteAndAreNamed) {
    const std::pair<const char*, const char*> cases[] = {
        {"settings_overprecise_number.json",
         "the number 0.10000000000000000555 at \"price\" cannot be written back with the same value"},
        {"settings_nested_overprecise_number.json",
         "the number 1.00000000000000000001 at \"env.limits[1].huge\" cannot be written back"},
        {"settings_huge_integer.json", "the number 123456789012345678901234567890 at \"id\" cannot be written back"},
        {"settings_repeated_key.json", "the key \"theme\" appears twice in one object"},
    };
    for (const auto& [fixture, named] : cases) {
        std::string text = home.fixture(fixture);
        home.place(path, text);
        EXPECT_EQ(inspect(claude()), StateKind::missing) << fixture;  // reading is fine
        auto error = install();
        ASSERT_TRUE(error) << fixture;
        EXPECT_EQ(error->kind, Kind::unwritable) << fixture;
        EXPECT_TRUE(error->text.starts_with(named)) << error->text;
        EXPECT_EQ(readFile(path), text) << fixture;
        expectOnlySettingsFile();
    }
}

TEST(ExactSettingsJson, NumbersAreTheSameWhenTheirDecimalValuesAre) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"1.10", "1.1", true},     {"2.50", "2.5", true},        {"11e-1", "1.1", true},
        {"1E+20", "1e+20", true},  {"100000000000000000000", "1e+20", true}, {"-0.0", "0.0", true},
        {"0.000", "0", true},      {"0.10000000000000000555", "0.1", false}, {"1e400", "null", false},
        {"1e-400", "0.0", false},  {"1.5", "-1.5", false},        {"1e99999999999999999999", "null", false},
    };
    for (const auto& [lexeme, written, same] : cases)
        EXPECT_EQ(ExactSettingsJson::sameNumber(lexeme, written), same) << lexeme << " " << written;
}

TEST_F(SettingsFile, ASymlinkIsNeverWrittenThrough) {
    std::string target = home.home() + "/real.json";
    std::string text = "{\"hooks\": {}}";
    home.place(target, text);
    std::filesystem::create_directories(home.home() + "/.claude");
    ASSERT_EQ(symlink(target.c_str(), path.c_str()), 0);
    auto state = C::inspect(path, claude(), home.owned());
    EXPECT_EQ(state.kind, StateKind::error);
    EXPECT_EQ(state.error, C::ConfigError::of(Kind::fileIsSymlink));
    EXPECT_EQ(install(), C::ConfigError::of(Kind::fileIsSymlink));
    EXPECT_EQ(C::removeAll(path, home.owned()), C::ConfigError::of(Kind::fileIsSymlink));
    EXPECT_EQ(readFile(target), text);
}

TEST_F(SettingsFile, AFolderAtThePathIsNotARegularFile) {
    std::filesystem::create_directories(path);
    EXPECT_EQ(install(), C::ConfigError::of(Kind::notARegularFile));
}

TEST_F(SettingsFile, AnotherUsersFileIsRefused) {
    if (geteuid() != 0) GTEST_SKIP() << "giving a file away needs root";
    home.place(path, "{}");
    ASSERT_EQ(chown(path.c_str(), 12345, 12345), 0);
    EXPECT_EQ(install(), C::ConfigError::of(Kind::notOwnedByCurrentUser));
    EXPECT_EQ(readFile(path), "{}");
}

TEST_F(SettingsFile, AFileLargerThan16MiBIsNotRead) {
    home.place(path, "{}");
    ASSERT_EQ(truncate(path.c_str(), static_cast<off_t>(C::maxSettingsFileBytes + 1)), 0);
    EXPECT_EQ(install(), C::ConfigError::unwritable("could not read " + path));
    struct stat file{};
    ASSERT_EQ(stat(path.c_str(), &file), 0);
    EXPECT_EQ(static_cast<std::uint64_t>(file.st_size), C::maxSettingsFileBytes + 1);
}

// Steps that fail on purpose, one at a time; `after` runs inside fsync, between the
// temporary file being complete and the rename.
struct FaultySteps {
    AtomicWriteSteps steps = AtomicWriteSteps::live();
    explicit FaultySteps(const std::string& failing, std::function<void()> duringFsync = {}) {
        auto fail = [](int error) {
            errno = error;
            return -1;
        };
        if (failing == "open") steps.open = [=](const char*, int, mode_t) { return fail(EACCES); };
        if (failing == "write")  // half of it lands, then the disk is full
            steps.write = [=](int fd, const void* data, size_t size) -> ssize_t {
                static thread_local bool first = true;
                if (first && size > 1) {
                    first = false;
                    return ::write(fd, data, size / 2);
                }
                first = true;
                return fail(ENOSPC);
            };
        if (failing == "fchmod") steps.fchmod = [=](int, mode_t) { return fail(EPERM); };
        if (failing == "fsync") steps.fsync = [=](int) { return fail(EIO); };
        if (failing == "link") steps.linkOpenFile = [=](int, const char*) { return fail(ENOSPC); };
        if (failing == "exchange") steps.exchange = [=](const char*, const char*) { return fail(EXDEV); };
        if (failing == "rename") {  // a file system that cannot swap, and then cannot rename either
            steps.exchange = [=](const char*, const char*) { return fail(EINVAL); };
            steps.rename = [=](const char*, const char*) { return fail(EXDEV); };
        }
        if (failing == "renameNoReplace") steps.renameNoReplace = [=](const char*, const char*) { return fail(EIO); };
        if (duringFsync)
            steps.fsync = [=](int fd) {
                duringFsync();
                return ::fsync(fd);
            };
    }
};

TEST_F(SettingsFile, AFailureAtAnyStepOfTheWriteLeavesTheFileAsItWas) {
    const struct {
        const char* step;
        const char* text;
    } cases[] = {
        {"open", "could not create temporary file"},
        {"write", "could not write temporary file"},
        {"fchmod", "could not write temporary file"},
        {"fsync", "could not write temporary file"},
        {"link", "could not write temporary file"},
        {"exchange", "could not replace "},
        {"rename", "could not replace "},
    };
    std::string original = home.fixture("claude_settings_user_hooks.json");
    for (const auto& c : cases) {
        home.place(path, original);
        auto error = C::install(path, claude(), home.owned(), FaultySteps(c.step).steps);
        ASSERT_TRUE(error) << c.step;
        EXPECT_EQ(error->kind, Kind::unwritable) << c.step;
        EXPECT_TRUE(error->text.starts_with(c.text)) << c.step << ": " << error->text;
        EXPECT_EQ(readFile(path), original) << c.step;
        expectOnlySettingsFile();
    }
}

TEST_F(SettingsFile, AFailureWhileCreatingANewFileLeavesNothingBehind) {
    for (const char* step : {"open", "write", "fchmod", "fsync", "link", "renameNoReplace"}) {
        auto error = C::install(path, claude(), home.owned(), FaultySteps(step).steps);
        ASSERT_TRUE(error) << step;
        EXPECT_EQ(error->kind, Kind::unwritable) << step;
        EXPECT_TRUE(folderEntries(home.home() + "/.claude").empty()) << step;
    }
}

TEST_F(SettingsFile, AFileChangedWhileWritingIsNotReplaced) {
    home.place(path, home.fixture("claude_settings_user_hooks.json"));
    std::string theirs = "{\"hooks\": {}, \"edited\": \"by the agent\"}";
    auto error = C::install(path, claude(), home.owned(), FaultySteps("", [&] { home.place(path, theirs); }).steps);
    EXPECT_EQ(error, C::ConfigError::of(Kind::concurrentModification));
    EXPECT_EQ(readFile(path), theirs);
    expectOnlySettingsFile();
}

TEST_F(SettingsFile, SameSizeAndTimeButOtherContentIsStillAChange) {
    std::string ours = "{\"hooks\": {}, \"k\": \"aaaa\"}";
    home.place(path, ours);
    struct stat before{};
    ASSERT_EQ(stat(path.c_str(), &before), 0);
    std::string theirs = "{\"hooks\": {}, \"k\": \"bbbb\"}";
    auto swapInPlace = [&] {
        int fd = open(path.c_str(), O_WRONLY);
        ASSERT_EQ(pwrite(fd, theirs.data(), theirs.size(), 0), static_cast<ssize_t>(theirs.size()));
        timespec times[2] = {before.st_atim, before.st_mtim};
        futimens(fd, times);
        close(fd);
    };
    auto error = C::install(path, claude(), home.owned(), FaultySteps("", swapInPlace).steps);
    EXPECT_EQ(error, C::ConfigError::of(Kind::concurrentModification));
    EXPECT_EQ(readFile(path), theirs);
}

// The last check has passed; a save lands just before the replacement.
TEST_F(SettingsFile, ASaveJustBeforeTheReplacementIsKept) {
    const struct {
        const char* how;
        bool inPlace;
    } saves[] = {{"replaced", false}, {"written in place", true}};
    for (const auto& save : saves) {
        std::string original = home.fixture("claude_settings_user_hooks.json");
        home.place(path, original);
        std::string theirs = "{\"hooks\": {}, \"saved\": \"just now\"}";
        AtomicWriteSteps steps = AtomicWriteSteps::live();
        steps.exchange = [&](const char* from, const char* to) {
            if (save.inPlace) {
                int fd = open(path.c_str(), O_WRONLY | O_TRUNC);
                EXPECT_EQ(write(fd, theirs.data(), theirs.size()), static_cast<ssize_t>(theirs.size()));
                close(fd);
            } else {
                home.place(path + ".new", theirs);
                EXPECT_EQ(rename((path + ".new").c_str(), path.c_str()), 0);
            }
            return AtomicWriteSteps::live().exchange(from, to);
        };
        EXPECT_EQ(C::install(path, claude(), home.owned(), steps), C::ConfigError::of(Kind::concurrentModification))
            << save.how;
        EXPECT_EQ(readFile(path), theirs) << save.how;
        expectOnlySettingsFile();
    }
}

TEST_F(SettingsFile, WhereFilesCannotBeSwappedTheyAreStillReplaced) {
    home.place(path, home.fixture("claude_settings_user_hooks.json"));
    AtomicWriteSteps steps = AtomicWriteSteps::live();
    steps.exchange = [](const char*, const char*) {
        errno = EINVAL;
        return -1;
    };
    EXPECT_EQ(C::install(path, claude(), home.owned(), steps), std::nullopt);
    EXPECT_EQ(inspect(claude()), StateKind::installed);
    expectOnlySettingsFile();
}

// The settings may hold secrets: no copy of them may stay beside them.
TEST_F(SettingsFile, TheNewTextHasNoNameUntilItIsComplete) {
    home.place(path, home.fixture("claude_settings_user_hooks.json"));
    std::vector<std::string> duringWrite;
    auto error = C::install(path, claude(), home.owned(),
                            FaultySteps("", [&] { duringWrite = folderEntries(home.home() + "/.claude"); }).steps);
    EXPECT_EQ(error, std::nullopt);
    EXPECT_EQ(duringWrite, std::vector<std::string>{"settings.json"});
    expectOnlySettingsFile();
}

TEST_F(SettingsFile, AWriteKilledHalfwayLeavesNoCopyBehind) {
    // Forked, not started afresh: the child must write into this test's home.
    GTEST_FLAG_SET(death_test_style, "fast");
    std::string original = home.fixture("claude_settings_user_hooks.json");
    home.place(path, original);
    EXPECT_EXIT(
        {
            AtomicWriteSteps steps = AtomicWriteSteps::live();
            steps.write = [](int fd, const void* data, size_t size) -> ssize_t {
                if (::write(fd, data, size / 2) < 0) _exit(3);
                raise(SIGKILL);
                return -1;
            };
            C::install(path, claude(), home.owned(), steps);
            _exit(0);
        },
        ::testing::KilledBySignal(SIGKILL), "");
    EXPECT_EQ(readFile(path), original);
    expectOnlySettingsFile();
}

TEST_F(SettingsFile, TemporaryFilesOfEndedProcessesAreRemovedBeforeWriting) {
    home.place(path, home.fixture("claude_settings_user_hooks.json"));
    // A process that has ended: a child, already reaped.
    pid_t ended = fork();
    ASSERT_GE(ended, 0);
    if (ended == 0) _exit(0);
    ASSERT_EQ(waitpid(ended, nullptr, 0), ended);
    const std::string folder = home.home() + "/.claude/";
    home.place(folder + ".quaylight-write-" + std::to_string(ended), "{\"token\": \"half", 0600);
    // A write still going on in a live process, and names that only look alike, stay.
    const std::string live = ".quaylight-write-" + std::to_string(getppid());
    home.place(folder + live, "{}", 0600);
    home.place(folder + ".quaylight-write-x1", "{}", 0600);
    EXPECT_EQ(install(), std::nullopt);
    EXPECT_EQ(folderEntries(home.home() + "/.claude"),
              (std::vector<std::string>{live, ".quaylight-write-x1", "settings.json"}));
}

TEST_F(SettingsFile, AFileNestedTooDeeplyIsRefusedAndLeftAlone) {
    auto nested = [](std::size_t levels) {
        return "{\"deep\": " + std::string(levels - 1, '[') + std::string(levels - 1, ']') + "}";
    };
    // 70,000 levels once overflowed the stack while the document was copied.
    for (std::size_t levels : {ExactSettingsJson::maxNestingDepth + 1, std::size_t{70'000}}) {
        std::string text = nested(levels);
        home.place(path, text);
        auto refused = C::ConfigError::unwritable("could not edit " + path + ": its values nest deeper than 512 levels");
        EXPECT_EQ(install(), refused) << levels;
        EXPECT_EQ(C::removeAll(path, home.owned()), refused) << levels;
        EXPECT_EQ(C::inspect(path, claude(), home.owned()), (C::InstallState{StateKind::error, refused})) << levels;
        EXPECT_EQ(readFile(path), text) << levels;
        expectOnlySettingsFile();
    }
    // Brackets inside strings are text; 512 levels are still edited.
    home.place(path, "{\"text\": \"" + std::string(70'000, '[') + "\", \"deep\": " +
                         std::string(511, '[') + std::string(511, ']') + "}");
    EXPECT_EQ(install(), std::nullopt);
    EXPECT_EQ(inspect(claude()), StateKind::installed);
}

TEST_F(SettingsFile, AFileThatAppearedMeanwhileIsNotOverwritten) {
    std::string theirs = "{\"created\": \"meanwhile\"}";
    // Appears after the write has begun: the final rename refuses to replace it.
    auto error = C::install(path, claude(), home.owned(), FaultySteps("", [&] { home.place(path, theirs); }).steps);
    EXPECT_EQ(error, C::ConfigError::of(Kind::concurrentModification));
    EXPECT_EQ(readFile(path), theirs);
    expectOnlySettingsFile();

    // Appears between the read and the write.
    std::filesystem::remove(path);
    auto read = C::readIfPresent(path);
    ASSERT_TRUE(std::holds_alternative<C::NoFile>(read));
    home.place(path, theirs);
    EXPECT_EQ(C::writeAtomically(Json::object(), path, nullptr), C::ConfigError::of(Kind::concurrentModification));
    EXPECT_EQ(readFile(path), theirs);
}

TEST_F(SettingsFile, RecognisingOwnEntriesIgnoresTypeAndOddShapes) {
    std::string own = ClaudeHookConfigurator::desiredEntries(home.socketPath())[0].command;
    Json root = Json::parse(R"({"hooks": {
        "A": [{"matcher": 5, "hooks": [{"command": )" + Json(own).dump() + R"(}]}],
        "B": "not an array",
        "C": [{"hooks": [{"command": )" + Json(own).dump() + R"(}, 3]}],
        "D": [1, {"hooks": [{"command": )" + Json(own).dump() + R"(}]}]
    }})");
    auto keys = C::quaylightEntries(root, home.owned());
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0], (C::EntryKey{"A", std::nullopt, own}));
    Json removed = root;
    C::removeQuaylightEntries(removed, home.owned());
    EXPECT_EQ(removed["hooks"].size(), 3u);  // "A" emptied and dropped; the odd shapes stay as they were
    EXPECT_EQ(removed["hooks"]["C"], root["hooks"]["C"]);
    EXPECT_EQ(removed["hooks"]["D"], root["hooks"]["D"]);
}

}  // namespace
}  // namespace quaylight
