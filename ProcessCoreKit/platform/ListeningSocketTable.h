#pragma once
// The kernel's table of listening TCP sockets, keyed by socket inode, fetched once per
// scan and matched against each process's descriptors.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "ProcessCoreKit/records/RawListeningSocket.h"

namespace quaylight {

class Libproc;

class ListeningSocketTable {
public:
    ListeningSocketTable() = default;

    // From the live kernel by netlink (LISTEN sockets only) when the root is the
    // machine's own /proc; otherwise, or when netlink is refused, from the root's
    // net/tcp and net/tcp6.
    static ListeningSocketTable fetch(const Libproc& proc);

    // A sock_diag dump for IPv4 and IPv6; no value when netlink is unavailable.
    static std::optional<ListeningSocketTable> fromNetlink();

    // From net/tcp and net/tcp6 under a procfs root (one read each).
    static ListeningSocketTable fromProcFiles(const std::string& procRoot);

    // Parses the body of a netlink inet_diag dump (one or more messages).
    void addNetlinkMessages(std::span<const std::uint8_t> bytes);

    // Parses /proc/net/tcp (or tcp6) text, keeping the rows in the LISTEN state.
    void addProcNetRows(std::string_view text, AddressFamily family);

    void add(std::uint64_t inode, RawListeningSocket socket);
    const RawListeningSocket* find(std::uint64_t inode) const;
    // Every socket's inode, ascending: two tables with the same list hold the same sockets.
    std::vector<std::uint64_t> inodes() const;
    std::size_t size() const { return byInode_.size(); }
    bool empty() const { return byInode_.empty(); }

private:
    std::unordered_map<std::uint64_t, RawListeningSocket> byInode_;
};

}  // namespace quaylight
