#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <linux/inet_diag.h>
#include <linux/netlink.h>
#include <linux/sock_diag.h>
#include <netinet/in.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "ProcessCoreKit/platform/ListeningSocketTable.h"

namespace quaylight {
namespace {

std::string readData(const std::string& name) {
    std::ifstream in(std::string(QUAYLIGHT_TEST_DATA_DIR) + "/" + name);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

struct Expected {
    std::uint64_t inode;
    int port;
    AddressFamily family;
    std::string address;
};

void expectRows(const ListeningSocketTable& table, const std::vector<Expected>& rows) {
    for (const auto& row : rows) {
        const RawListeningSocket* socket = table.find(row.inode);
        ASSERT_NE(socket, nullptr) << row.inode;
        EXPECT_EQ(socket->port, row.port) << row.inode;
        EXPECT_EQ(socket->family, row.family) << row.inode;
        EXPECT_EQ(socket->address, row.address) << row.inode;
    }
}

TEST(ListeningSocketTable, ReadsListeningRowsOfProcNetTcp) {
    ListeningSocketTable table;
    table.addProcNetRows(readData("net_tcp.txt"), AddressFamily::ipv4);
    table.addProcNetRows(readData("net_tcp6.txt"), AddressFamily::ipv6);
    expectRows(table, {
                          {11111, 8080, AddressFamily::ipv4, "127.0.0.1"},
                          {22222, 22, AddressFamily::ipv4, "0.0.0.0"},
                          {44444, 80, AddressFamily::ipv4, "192.168.0.1"},
                          {55555, 8081, AddressFamily::ipv6, "::"},
                          {66666, 3000, AddressFamily::ipv6, "::1"},
                          {77777, 5001, AddressFamily::ipv6, "::ffff:127.0.0.1"},
                      });
    // Established, time-wait, inode-less and broken rows are not listeners.
    EXPECT_EQ(table.find(33333), nullptr);
    EXPECT_EQ(table.find(88888), nullptr);
    EXPECT_EQ(table.find(0), nullptr);
    EXPECT_EQ(table.size(), 6u);
}

void appendMessage(std::vector<std::uint8_t>& buffer, std::uint16_t type, const void* payload, std::size_t size) {
    nlmsghdr header{};
    header.nlmsg_len = static_cast<std::uint32_t>(NLMSG_LENGTH(size));
    header.nlmsg_type = type;
    std::size_t start = buffer.size();
    buffer.resize(start + NLMSG_ALIGN(header.nlmsg_len));
    std::memcpy(buffer.data() + start, &header, sizeof header);
    if (size) std::memcpy(buffer.data() + start + NLMSG_HDRLEN, payload, size);
}

inet_diag_msg diagMessage(int family, int state, const char* address, int port, unsigned inode) {
    inet_diag_msg msg{};
    msg.idiag_family = static_cast<std::uint8_t>(family);
    msg.idiag_state = static_cast<std::uint8_t>(state);
    msg.id.idiag_sport = htons(static_cast<std::uint16_t>(port));
    inet_pton(family, address, msg.id.idiag_src);
    msg.idiag_inode = inode;
    return msg;
}

TEST(ListeningSocketTable, ReadsNetlinkDiagMessages) {
    std::vector<std::uint8_t> bytes;
    auto v4 = diagMessage(AF_INET, 10, "127.0.0.1", 8080, 101);
    auto v6 = diagMessage(AF_INET6, 10, "::", 443, 102);
    auto mapped = diagMessage(AF_INET6, 10, "::ffff:10.1.2.3", 5432, 103);
    auto notListening = diagMessage(AF_INET, 1, "127.0.0.1", 9000, 104);
    for (auto* msg : {&v4, &v6, &mapped, &notListening}) appendMessage(bytes, SOCK_DIAG_BY_FAMILY, msg, sizeof *msg);
    appendMessage(bytes, NLMSG_DONE, nullptr, 0);
    auto afterDone = diagMessage(AF_INET, 10, "127.0.0.1", 1, 105);
    appendMessage(bytes, SOCK_DIAG_BY_FAMILY, &afterDone, sizeof afterDone);

    ListeningSocketTable table;
    table.addNetlinkMessages(bytes);
    expectRows(table, {
                          {101, 8080, AddressFamily::ipv4, "127.0.0.1"},
                          {102, 443, AddressFamily::ipv6, "::"},
                          {103, 5432, AddressFamily::ipv6, "::ffff:10.1.2.3"},
                      });
    EXPECT_EQ(table.find(104), nullptr);
    EXPECT_EQ(table.find(105), nullptr);
}

TEST(ListeningSocketTable, StopsAtATruncatedMessage) {
    std::vector<std::uint8_t> bytes;
    auto v4 = diagMessage(AF_INET, 10, "127.0.0.1", 8080, 101);
    appendMessage(bytes, SOCK_DIAG_BY_FAMILY, &v4, sizeof v4);
    bytes.resize(bytes.size() - 8);
    ListeningSocketTable table;
    table.addNetlinkMessages(bytes);
    EXPECT_TRUE(table.empty());
}

}  // namespace
}  // namespace quaylight
