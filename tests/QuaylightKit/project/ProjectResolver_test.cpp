#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "QuaylightKit/support/LiveFileSystem.h"
#include "QuaylightKit/project/PathStandardization.h"
#include "QuaylightKit/project/ProjectResolver.h"
#include "tests/support/TempDir.h"

namespace quaylight {
namespace {

// A file system of the listed paths; counts the existence tests made.
struct FakeFiles {
    std::set<std::string> paths;
    int tests = 0;
    PathExistenceTest exists() {
        return [this](const std::string& path) {
            ++tests;
            return paths.count(path) > 0;
        };
    }
};

WorkingDirectoryLookup cwdOf(std::optional<std::string> cwd) {
    return [cwd](std::int32_t) { return cwd; };
}

ProcessSnapshot owner(std::optional<std::vector<std::string>> argv = std::nullopt) {
    ProcessSnapshot s;
    s.identity = {4242, 1000, 0};
    s.argv = std::move(argv);
    return s;
}

TEST(PathStandardization, RemovesDotsAndSeparators) {
    const std::pair<std::string, std::string> cases[] = {
        {"/a/b/", "/a/b"},       {"/a//b", "/a/b"},   {"/a/./b", "/a/b"}, {"/a/b/../c", "/a/c"},
        {"/..", "/"},            {"/../a", "/a"},     {"/", "/"},         {"//", "/"},
        {"a/../../b", "../b"},   {"a/./b/", "a/b"},   {"", ""},           {".", "."},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(standardizedPath(in), out) << in;
    EXPECT_EQ(deletingLastPathComponent("/a/b"), "/a");
    EXPECT_EQ(deletingLastPathComponent("/a"), "/");
    EXPECT_EQ(deletingLastPathComponent("/"), "/");
    EXPECT_EQ(deletingLastPathComponent("a"), "");
    EXPECT_EQ(lastPathComponent("/a/site"), "site");
    EXPECT_EQ(appendingPathComponent("/", ".git"), "/.git");
}

TEST(PathStandardization, ParentFolderByTextAlone) {
    const std::pair<std::string, std::string> cases[] = {
        {"/a/b/c", "/a/b"}, {"/a/b/", "/a"}, {"/a", "/"},          {"/", "/"},
        {"a", "."},         {"a/b", "a"},    {"//a//b", "//a"},    {"/a/./b", "/a/."},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(parentFolder(in), out) << in;
}

TEST(ProjectResolver, WalksUpFromTheWorkingDirectoryToTheFirstMarker) {
    FakeFiles files{{"/Users/a/code/site/package.json"}};
    auto project = ProjectResolver::resolve(owner(), cwdOf("/Users/a/code/site/server"), files.exists(), "/Users/a");
    EXPECT_EQ(project, (ListenerProject{"site", "/Users/a/code/site"}));
}

TEST(ProjectResolver, HomeAndRootAreNeverProjects) {
    struct Case {
        std::string cwd;
        HomeDirectory home;
        std::set<std::string> files;
    };
    const Case cases[] = {
        {"/Users/a", "/Users/a", {"/Users/a/.git"}},
        {"/Users/a/", "/Users/a", {"/Users/a/.git"}},
        {"/Users/a", "/Users/a/", {"/Users/a/.git"}},    // a home written with a trailing "/"
        {"/Users/a/x", "/Users/a/./", {"/Users/a/.git"}},
        {"/Users/a/x", "/Users/a", {"/Users/.git"}},     // a marker above the home is never reached
        {"/", "/Users/a", {"/.git"}},
        {"/srv", "/Users/a", {"/.git"}},
        // The home reached through a symbolic link: working directories come back resolved.
        {"/data/a", HomeDirectory("/home/a", "/data/a"), {"/data/a/.git"}},
        {"/data/a/notes", HomeDirectory("/home/a", "/data/a"), {"/data/a/.git"}},
        {"/home/a/notes", HomeDirectory("/home/a", "/data/a"), {"/home/a/.git"}},
    };
    for (const auto& c : cases) {
        FakeFiles files{c.files};
        EXPECT_EQ(ProjectResolver::resolve(owner(), cwdOf(c.cwd), files.exists(), c.home), std::nullopt) << c.cwd;
    }
}

TEST(ProjectResolver, ExaminesAtMostTenFolders) {
    std::string top = "/w";
    std::string seed = top;
    for (int i = 0; i < 9; ++i) seed += "/d" + std::to_string(i);  // nine levels below /w
    FakeFiles found{{top + "/go.mod"}};
    EXPECT_EQ(ProjectResolver::resolve(seed, found.exists(), "/home/u"), (ListenerProject{"w", top}));

    FakeFiles tooFar{{top + "/go.mod"}};
    EXPECT_EQ(ProjectResolver::resolve(seed + "/d9", tooFar.exists(), "/home/u"), std::nullopt);
    EXPECT_EQ(tooFar.tests, 10 * 5);
}

TEST(ProjectResolver, FirstMarkerEndsTheSearchAndAnyMarkerCounts) {
    for (auto marker : ProjectResolver::markers) {
        FakeFiles files{{"/p/app/" + std::string(marker)}};
        EXPECT_EQ(ProjectResolver::resolve("/p/app", files.exists(), "/home/u"), (ListenerProject{"app", "/p/app"}))
            << marker;
    }
    FakeFiles both{{"/p/app/.git", "/p/app/go.mod"}};
    EXPECT_EQ(ProjectResolver::resolve("/p/app", both.exists(), "/home/u"), (ListenerProject{"app", "/p/app"}));
    EXPECT_EQ(both.tests, 1);
}

TEST(ProjectResolver, SeedIsStandardizedAndMustBeAbsolute) {
    FakeFiles files{{"/p/site/package.json", "code/site/package.json"}};
    EXPECT_EQ(ProjectResolver::resolve("/p/site/./server/../server//", files.exists(), "/home/u"),
              (ListenerProject{"site", "/p/site"}));
    EXPECT_EQ(ProjectResolver::resolve("code/site", files.exists(), "/home/u"), std::nullopt);
    EXPECT_EQ(ProjectResolver::resolve("", files.exists(), "/home/u"), std::nullopt);
    EXPECT_EQ(ProjectResolver::resolve(owner(), cwdOf("code/site"), files.exists(), "/home/u"), std::nullopt);
}

TEST(ProjectResolver, WithoutWorkingDirectorySeedsFromAbsoluteArguments) {
    struct Case {
        std::vector<std::string> argv;
        std::set<std::string> files;
        std::optional<ListenerProject> expected;
    };
    const Case cases[] = {
        // An existing script: its folder.
        {{"node", "/Users/a/app/index.js"}, {"/Users/a/app/index.js", "/Users/a/app/package.json"},
         ListenerProject{"app", "/Users/a/app"}},
        // A script that is gone, in a folder that is still there.
        {{"node", "/Users/a/app/gone.js"}, {"/Users/a/app", "/Users/a/app/package.json"},
         ListenerProject{"app", "/Users/a/app"}},
        // Relative arguments are skipped; the next absolute one seeds.
        {{"python3", "app/main.py", "/srv/api/run.py"}, {"/srv/api/run.py", "/srv/api/pyproject.toml", "app/main.py"},
         ListenerProject{"api", "/srv/api"}},
        // Neither the path nor its folder exists: the next argument is tried.
        {{"/nowhere/x/bin", "/srv/api/run.py"}, {"/srv/api/run.py", "/srv/api/.git"},
         ListenerProject{"api", "/srv/api"}},
        {{"node", "index.js"}, {"index.js"}, std::nullopt},
        {{}, {}, std::nullopt},
    };
    for (const auto& c : cases) {
        FakeFiles files{c.files};
        EXPECT_EQ(ProjectResolver::resolve(owner(c.argv), cwdOf(std::nullopt), files.exists(), "/Users/a"), c.expected)
            << c.argv.size();
    }
    FakeFiles none;
    EXPECT_EQ(ProjectResolver::resolve(owner(), cwdOf(std::nullopt), none.exists(), "/Users/a"), std::nullopt);
}

TEST(ProjectResolver, WorkingDirectoryWinsOverArguments) {
    FakeFiles files{{"/srv/api/run.py", "/srv/api/.git", "/w/site/.git"}};
    auto project = ProjectResolver::resolve(owner({{"python3", "/srv/api/run.py"}}), cwdOf("/w/site"), files.exists(),
                                            "/home/u");
    EXPECT_EQ(project, (ListenerProject{"site", "/w/site"}));
}

TEST(ProjectResolver, RealFoldersAndASymlinkedHome) {
    testsupport::TempDir temp;
    auto real = std::filesystem::canonical(temp.path());
    temp.write("data/me/.git/HEAD", "ref: refs/heads/main\n");
    temp.write("data/me/code/site/package.json", "{}");
    std::filesystem::create_directories(real / "data/me/code/site/server");
    std::filesystem::create_directories(real / "home");
    std::filesystem::create_directory_symlink(real / "data/me", real / "home/me");

    auto home = homeDirectory({(real / "home/me").string(), nullptr, [](const std::string& p) {
                                   return std::optional(std::filesystem::canonical(p).string());
                               }});
    EXPECT_EQ(home.resolvedPath, (real / "data/me").string());

    auto site = (real / "data/me/code/site").string();
    EXPECT_EQ(ProjectResolver::resolve(site + "/server", pathExists, home), (ListenerProject{"site", site}));
    // The home itself holds ".git" (a dotfiles repository), in either spelling.
    EXPECT_EQ(ProjectResolver::resolve((real / "data/me").string(), pathExists, home), std::nullopt);
    EXPECT_EQ(ProjectResolver::resolve((real / "home/me").string(), pathExists, home), std::nullopt);
    std::filesystem::create_directories(real / "data/me/notes");
    EXPECT_EQ(ProjectResolver::resolve((real / "data/me/notes").string(), pathExists, home), std::nullopt);
}

TEST(HomeDirectoryRule, EnvironmentWhenAbsoluteElsePasswordDatabase) {
    auto fromPasswd = [] { return std::optional<std::string>("/home/pw"); };
    EXPECT_EQ(homeDirectory({"/home/env/", fromPasswd, nullptr}).path, "/home/env");
    EXPECT_EQ(homeDirectory({"relative/home", fromPasswd, nullptr}).path, "/home/pw");
    EXPECT_EQ(homeDirectory({"", fromPasswd, nullptr}).path, "/home/pw");
    EXPECT_EQ(homeDirectory({std::nullopt, fromPasswd, nullptr}).path, "/home/pw");
    EXPECT_EQ(homeDirectory({std::nullopt, [] { return std::optional<std::string>(); }, nullptr}).path, "");
    auto same = [](const std::string& p) { return std::optional(p); };
    EXPECT_EQ(homeDirectory({"/home/env", fromPasswd, same}).resolvedPath, std::nullopt);
    EXPECT_FALSE(HomeDirectory().matches("/"));
    EXPECT_TRUE(currentHomeDirectory().path.starts_with("/"));
}

}  // namespace
}  // namespace quaylight
