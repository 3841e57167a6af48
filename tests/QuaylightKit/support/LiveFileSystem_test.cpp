#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "QuaylightKit/support/LiveFileSystem.h"
#include "tests/support/TempDir.h"

namespace quaylight {
namespace {

using testsupport::TempDir;

TEST(LiveFileSystem, ReadsOnlyARegularFileWithinItsLimit) {
    TempDir dir;
    const auto file = dir.write("settings.json", "0123456789").string();
    const auto link = (dir / "link.json").string();
    std::filesystem::create_symlink(file, link);
    const auto fifo = (dir / "fifo").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

    EXPECT_EQ(readRegularFile(file, 10), "0123456789");  // exactly at the limit
    EXPECT_EQ(readRegularFile(file, 9), std::nullopt);
    EXPECT_EQ(readRegularFile(link, 100), std::nullopt);
    EXPECT_EQ(readRegularFile(fifo, 100), std::nullopt);  // refused without blocking
    EXPECT_EQ(readRegularFile(dir.path().string(), 100), std::nullopt);
    EXPECT_EQ(readRegularFile((dir / "missing").string(), 100), std::nullopt);

    struct stat examined {};
    ASSERT_TRUE(readRegularFile(file, 100, &examined));
    EXPECT_EQ(examined.st_size, 10);
}

TEST(LiveFileSystem, CreatesMissingFoldersWithTheirFullMode) {
    TempDir dir;
    const auto deep = (dir / "a/b/c").string();
    const mode_t old = ::umask(077);
    EXPECT_TRUE(createDirectories(deep, 0755));
    ::umask(old);
    struct stat st {};
    ASSERT_EQ(::stat(deep.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0755u);
    EXPECT_TRUE(createDirectories(deep, 0700));  // already there
    EXPECT_FALSE(createDirectories(dir.write("file", "x").string(), 0700));
}

}  // namespace
}  // namespace quaylight
