#include "QuaylightKit/platform/ProcessSignaller.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <cerrno>

#include "tests/QuaylightKit/terminator/OwnChildren.h"

namespace quaylight {
namespace {

using namespace testsupport;

TEST(ProcessSignaller, SignalsTheProcessTheHandleWasOpenedOn) {
    auto child = spawnOwnChild({});
    ASSERT_TRUE(isOwnDescendant(child.pid()));
    auto opened = ProcessSignaller::live()->open(child.pid());
    ASSERT_TRUE(opened.handle);
    EXPECT_EQ(opened.handle->send(0), 0);  // signal 0: the process is there
    EXPECT_EQ(opened.handle->send(SIGTERM), 0);
    const int status = child.process.finish();
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
}

TEST(ProcessSignaller, AHandleOutlivingItsProcessReachesNobody) {
    auto child = spawnOwnChild({});
    ASSERT_TRUE(isOwnDescendant(child.pid()));
    auto opened = ProcessSignaller::live()->open(child.pid());
    ASSERT_TRUE(opened.handle);
    child.process.killAndWait(SIGKILL);  // exited and reaped: its PID is free for a newcomer
    EXPECT_EQ(opened.handle->send(SIGTERM), ESRCH);
    auto again = ProcessSignaller::live()->open(child.pid());
    if (!again.handle) {
        EXPECT_EQ(again.error, ESRCH);  // unless a newcomer took the PID already
    }
}

TEST(ProcessSignaller, RefusesPIDsBelowOne) {
    for (std::int32_t pid : {0, -1}) {
        auto opened = ProcessSignaller::live()->open(pid);
        EXPECT_FALSE(opened.handle);
        EXPECT_EQ(opened.error, EINVAL);
    }
}

}  // namespace
}  // namespace quaylight
