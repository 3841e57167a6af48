#include "ProcessCoreKit/support/OwnedDescriptor.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <utility>

namespace quaylight {
namespace {

bool isOpenHere(int fd) { return ::fcntl(fd, F_GETFD) != -1; }

int openNull() { return ::open("/dev/null", O_RDONLY | O_CLOEXEC); }

TEST(OwnedDescriptor, ClosesWhatItOwnsWhenItGoes) {
    int fd = openNull();
    ASSERT_GE(fd, 0);
    {
        OwnedDescriptor owner(fd);
        EXPECT_TRUE(owner);
        EXPECT_EQ(owner.get(), fd);
        EXPECT_TRUE(isOpenHere(fd));
    }
    EXPECT_FALSE(isOpenHere(fd));
}

TEST(OwnedDescriptor, AMoveHandsOwnershipOnAndClosesOnlyOnce) {
    int first = openNull();
    int second = openNull();
    ASSERT_GE(first, 0);
    ASSERT_GE(second, 0);
    OwnedDescriptor a(first);
    OwnedDescriptor b(std::move(a));
    EXPECT_FALSE(a);  // NOLINT: a moved-from owner owns nothing
    EXPECT_EQ(b.get(), first);
    OwnedDescriptor c(second);
    c = std::move(b);  // c's own descriptor is closed, it takes b's
    EXPECT_FALSE(isOpenHere(second));
    EXPECT_TRUE(isOpenHere(first));
    EXPECT_EQ(c.get(), first);
}

TEST(OwnedDescriptor, ReleaseGivesItUpWithoutClosing) {
    int fd = openNull();
    ASSERT_GE(fd, 0);
    int released = -1;
    {
        OwnedDescriptor owner(fd);
        released = owner.release();
        EXPECT_FALSE(owner);
    }
    EXPECT_EQ(released, fd);
    EXPECT_TRUE(isOpenHere(fd));
    ::close(fd);
}

TEST(OwnedDescriptor, CloseReportsAndLeavesNothingOwned) {
    OwnedDescriptor owner(openNull());
    const int fd = owner.get();
    EXPECT_TRUE(owner.close());
    EXPECT_FALSE(owner);
    EXPECT_FALSE(isOpenHere(fd));
    EXPECT_TRUE(owner.close());  // nothing owned: nothing to fail
    EXPECT_FALSE(OwnedDescriptor(-5));
}

}  // namespace
}  // namespace quaylight
