#include <gtest/gtest.h>

#include "QuaylightKit/listener/SharedProcessSnapshot.h"
#include "tests/QuaylightKit/Snapshots.h"

namespace quaylight {
namespace {

TEST(SharedProcessSnapshot, CopiesShareOneSnapshotUntilOneIsChanged) {
    SharedProcessSnapshot first = testsupport::makeProcess(42, "/usr/bin/node", 1, 501, 900);
    SharedProcessSnapshot second = first;
    EXPECT_EQ(&*first, &*second);

    second.edit().name = "renamed";
    EXPECT_EQ(first->name, "node");
    EXPECT_EQ(second->name, "renamed");
    EXPECT_NE(first, second);

    // A row with no other holder changes its own copy in place.
    const ProcessSnapshot* own = &*second;
    second.edit().uid = 0;
    EXPECT_EQ(&*second, own);
}

TEST(SharedProcessSnapshot, ComparesTheSnapshotsItHolds) {
    const auto snapshot = testsupport::makeProcess(7, "/usr/bin/python3", 1, 501, 800);
    EXPECT_EQ(SharedProcessSnapshot(snapshot), SharedProcessSnapshot(snapshot));
    EXPECT_EQ(SharedProcessSnapshot(), SharedProcessSnapshot(ProcessSnapshot{}));
    EXPECT_NE(SharedProcessSnapshot(), SharedProcessSnapshot(snapshot));

    SharedProcessSnapshot empty;
    EXPECT_FALSE(empty->name);
    empty.edit().name = "filled";
    EXPECT_EQ(empty->name, "filled");
    EXPECT_FALSE(SharedProcessSnapshot()->name);  // the shared empty snapshot stays empty
}

}  // namespace
}  // namespace quaylight
