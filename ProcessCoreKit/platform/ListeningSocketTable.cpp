#include "ProcessCoreKit/platform/ListeningSocketTable.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/inet_diag.h>
#include <linux/netlink.h>
#include <linux/sock_diag.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <string>
#include <vector>

#include "ProcessCoreKit/platform/Libproc.h"
#include "ProcessCoreKit/support/OwnedDescriptor.h"

namespace quaylight {
namespace {

constexpr int kTcpListen = 10;  // TCP_LISTEN in the kernel's state numbering

std::string formatAddress(AddressFamily family, const void* bytes) {
    char text[INET6_ADDRSTRLEN] = {};
    int af = family == AddressFamily::ipv6 ? AF_INET6 : AF_INET;
    if (!::inet_ntop(af, bytes, text, sizeof text)) return {};
    return text;
}

std::optional<std::uint32_t> parseHex32(std::string_view text) {
    std::uint32_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

enum class DumpProgress { more, done, failed };

DumpProgress parseMessages(std::span<const std::uint8_t> bytes, ListeningSocketTable& table) {
    std::size_t offset = 0;
    while (offset + sizeof(nlmsghdr) <= bytes.size()) {
        nlmsghdr header;
        std::memcpy(&header, bytes.data() + offset, sizeof header);
        if (header.nlmsg_len < sizeof(nlmsghdr) || offset + header.nlmsg_len > bytes.size()) return DumpProgress::failed;
        if (header.nlmsg_type == NLMSG_DONE) return DumpProgress::done;
        if (header.nlmsg_type == NLMSG_ERROR) return DumpProgress::failed;
        if (header.nlmsg_type == SOCK_DIAG_BY_FAMILY && header.nlmsg_len >= NLMSG_LENGTH(sizeof(inet_diag_msg))) {
            inet_diag_msg msg;
            std::memcpy(&msg, bytes.data() + offset + NLMSG_HDRLEN, sizeof msg);
            if (msg.idiag_state == kTcpListen && msg.idiag_inode != 0) {
                AddressFamily family = msg.idiag_family == AF_INET6 ? AddressFamily::ipv6 : AddressFamily::ipv4;
                table.add(msg.idiag_inode, RawListeningSocket{ntohs(msg.id.idiag_sport), family,
                                                              formatAddress(family, msg.id.idiag_src)});
            }
        }
        offset += NLMSG_ALIGN(header.nlmsg_len);
    }
    return DumpProgress::more;
}

bool dumpFamily(int fd, std::uint8_t family, ListeningSocketTable& table) {
    struct {
        nlmsghdr header;
        inet_diag_req_v2 request;
    } message{};
    message.header.nlmsg_len = sizeof message;
    message.header.nlmsg_type = SOCK_DIAG_BY_FAMILY;
    message.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    message.header.nlmsg_seq = family;
    message.request.sdiag_family = family;
    message.request.sdiag_protocol = IPPROTO_TCP;
    message.request.idiag_states = 1u << kTcpListen;

    sockaddr_nl kernel{};
    kernel.nl_family = AF_NETLINK;
    ssize_t sent;
    do {
        sent = ::sendto(fd, &message, sizeof message, 0, reinterpret_cast<sockaddr*>(&kernel), sizeof kernel);
    } while (sent < 0 && errno == EINTR);
    if (sent != static_cast<ssize_t>(sizeof message)) return false;

    // On the stack, not thread_local: see forEachNumericEntry in Libproc.cpp.
    alignas(nlmsghdr) std::uint8_t buffer[32768];
    for (;;) {
        ssize_t received = ::recv(fd, buffer, sizeof buffer, 0);
        if (received < 0 && errno == EINTR) continue;
        if (received <= 0) return false;
        switch (parseMessages({buffer, static_cast<std::size_t>(received)}, table)) {
            case DumpProgress::done: return true;
            case DumpProgress::failed: return false;
            case DumpProgress::more: break;
        }
    }
}

// Reads a seq_file such as /proc/net/tcp with as few reads as its size allows.
std::optional<std::string> readWhole(const std::string& path) {
    const OwnedDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd) return std::nullopt;
    std::string data(256 * 1024, '\0');
    std::size_t used = 0;
    for (;;) {
        if (used == data.size()) data.resize(data.size() * 2);
        ssize_t n = ::read(fd.get(), data.data() + used, data.size() - used);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        used += static_cast<std::size_t>(n);
    }
    data.resize(used);
    return data;
}

}  // namespace

void ListeningSocketTable::add(std::uint64_t inode, RawListeningSocket socket) {
    byInode_.insert_or_assign(inode, std::move(socket));
}

const RawListeningSocket* ListeningSocketTable::find(std::uint64_t inode) const {
    auto it = byInode_.find(inode);
    return it == byInode_.end() ? nullptr : &it->second;
}

std::vector<std::uint64_t> ListeningSocketTable::inodes() const {
    std::vector<std::uint64_t> inodes;
    inodes.reserve(byInode_.size());
    for (const auto& entry : byInode_) inodes.push_back(entry.first);
    std::sort(inodes.begin(), inodes.end());
    return inodes;
}

void ListeningSocketTable::addNetlinkMessages(std::span<const std::uint8_t> bytes) { parseMessages(bytes, *this); }

void ListeningSocketTable::addProcNetRows(std::string_view text, AddressFamily family) {
    std::size_t pos = text.find('\n');  // skip the header line
    while (pos != std::string_view::npos && pos < text.size()) {
        std::size_t end = text.find('\n', pos + 1);
        std::string_view line = text.substr(pos + 1, end == std::string_view::npos ? std::string_view::npos : end - pos - 1);
        pos = end;

        std::vector<std::string_view> columns;
        std::size_t i = 0;
        while (i < line.size() && columns.size() < 10) {
            while (i < line.size() && line[i] == ' ') ++i;
            std::size_t j = i;
            while (j < line.size() && line[j] != ' ') ++j;
            if (j > i) columns.push_back(line.substr(i, j - i));
            i = j;
        }
        if (columns.size() < 10 || columns[3] != "0A") continue;

        std::string_view local = columns[1];
        auto colon = local.find(':');
        if (colon == std::string_view::npos) continue;
        std::string_view hexAddress = local.substr(0, colon);
        auto port = parseHex32(local.substr(colon + 1));
        std::uint64_t inode = 0;
        auto [inodeEnd, inodeErr] = std::from_chars(columns[9].data(), columns[9].data() + columns[9].size(), inode);
        if (!port || *port > 65535 || inodeErr != std::errc() || inode == 0) continue;

        // The kernel prints each 32-bit word of the address in its own byte order.
        std::uint8_t bytes[16] = {};
        std::size_t words = family == AddressFamily::ipv6 ? 4 : 1;
        if (hexAddress.size() != words * 8) continue;
        bool ok = true;
        for (std::size_t w = 0; w < words && ok; ++w) {
            auto word = parseHex32(hexAddress.substr(w * 8, 8));
            ok = word.has_value();
            if (ok) std::memcpy(bytes + w * 4, &*word, 4);
        }
        if (!ok) continue;
        add(inode, RawListeningSocket{static_cast<int>(*port), family, formatAddress(family, bytes)});
    }
}

std::optional<ListeningSocketTable> ListeningSocketTable::fromNetlink() {
    const OwnedDescriptor fd(::socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC, NETLINK_SOCK_DIAG));
    if (!fd) return std::nullopt;
    ListeningSocketTable table;
    bool ok = dumpFamily(fd.get(), AF_INET, table) && dumpFamily(fd.get(), AF_INET6, table);
    if (!ok) return std::nullopt;
    return table;
}

ListeningSocketTable ListeningSocketTable::fetch(const Libproc& proc) {
    if (proc.isLive()) {
        if (auto table = fromNetlink()) return std::move(*table);
    }
    return fromProcFiles(proc.root());
}

ListeningSocketTable ListeningSocketTable::fromProcFiles(const std::string& procRoot) {
    ListeningSocketTable table;
    if (auto tcp = readWhole(procRoot + "/net/tcp")) table.addProcNetRows(*tcp, AddressFamily::ipv4);
    if (auto tcp6 = readWhole(procRoot + "/net/tcp6")) table.addProcNetRows(*tcp6, AddressFamily::ipv6);
    return table;
}

}  // namespace quaylight
