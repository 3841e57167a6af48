// The doorbell a second launch rings: on a real Unix socket in a temporary folder.

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <cstring>

#include <QTemporaryDir>

#include "ProcessCoreKit/support/OwnedDescriptor.h"
#include "Quaylight/shell/app/InstanceDoorbell.h"
#include "tests/Quaylight/shell/testing/QtWait.h"

namespace quaylight {
namespace {

using testsupport::processEventsUntil;

// Connects and sends `text` the way any local program could.
bool sendRaw(const std::string& path, const std::string& text) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    OwnedDescriptor fd(socket(AF_UNIX, SOCK_STREAM, 0));
    if (connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) return false;
    return send(fd.get(), text.data(), text.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(text.size());
}

TEST(InstanceDoorbell, TheSocketLiesBesideTheLock) {
    EXPECT_EQ(InstanceDoorbell::socketPath("/home/u/.local/share/Quaylight/instance.lock"),
              "/home/u/.local/share/Quaylight/instance.sock");
}

TEST(InstanceDoorbell, ARingReachesTheRunningOneEachTime) {
    QTemporaryDir dir;
    const std::string path = dir.path().toStdString() + "/instance.sock";
    int rings = 0;
    InstanceDoorbellServer server(path, [&] { ++rings; });
    ASSERT_TRUE(server.listen());
    for (int expected = 1; expected <= 2; ++expected) {
        ASSERT_TRUE(InstanceDoorbell::ring(path));
        EXPECT_TRUE(processEventsUntil([&] { return rings == expected; })) << rings;
    }
}

TEST(InstanceDoorbell, NobodyListeningIsNoRingAndAnOtherRequestIsIgnored) {
    QTemporaryDir dir;
    const std::string path = dir.path().toStdString() + "/instance.sock";
    EXPECT_FALSE(InstanceDoorbell::ring(path));
    EXPECT_FALSE(InstanceDoorbell::ring(dir.path().toStdString() + "/" + std::string(120, 'x')));

    int rings = 0;
    InstanceDoorbellServer server(path, [&] { ++rings; });
    ASSERT_TRUE(server.listen());
    ASSERT_TRUE(sendRaw(path, "quit\n"));
    ASSERT_TRUE(InstanceDoorbell::ring(path));
    EXPECT_TRUE(processEventsUntil([&] { return rings == 1; }));
    EXPECT_EQ(rings, 1);
}

TEST(InstanceDoorbell, ACrashedRunsSocketIsReplaced) {
    QTemporaryDir dir;
    const std::string path = dir.path().toStdString() + "/instance.sock";
    {
        // A socket file whose owner is gone.
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
        OwnedDescriptor fd(socket(AF_UNIX, SOCK_STREAM, 0));
        ASSERT_EQ(bind(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    }
    int rings = 0;
    {
        InstanceDoorbellServer server(path, [&] { ++rings; });
        ASSERT_TRUE(server.listen());
        ASSERT_TRUE(InstanceDoorbell::ring(path));
        EXPECT_TRUE(processEventsUntil([&] { return rings == 1; }));
    }
    // Gone with the server.
    EXPECT_NE(access(path.c_str(), F_OK), 0);
}

}  // namespace
}  // namespace quaylight
