#pragma once
// Worker pools: processes of one executable, user and parent that listen on the same port
// with the same bind signature (a pre-fork server's workers sharing one socket) are one row.

#include <compare>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "ProcessCoreKit/records/ProcessIdentity.h"
#include "QuaylightKit/bind/BindSignature.h"

namespace quaylight {

struct WorkerPoolCollapser {
    // What two listeners must share to be one pool.
    struct Signals {
        std::int64_t port = 0;
        BindSignature bindSignature;
        std::string executablePath;
        ProcessIdentity parentIdentity;
        std::uint32_t uid = 0;
        friend auto operator<=>(const Signals&, const Signals&) = default;
    };

    // Groups item indices: every bucket of two or more items sharing signals, in the order
    // their first member appears, then every single item (signal-less items in input order,
    // then lone members of a bucket). `signalsOf` gives an optional key per item: usually
    // Signals, or any ordered key that stands for them.
    template <class T, class SignalsOf>
    static std::vector<std::vector<std::size_t>> group(const std::vector<T>& items, SignalsOf&& signalsOf) {
        using Key = typename std::invoke_result_t<SignalsOf&, const T&>::value_type;
        std::vector<std::vector<std::size_t>> singles;
        std::vector<std::vector<std::size_t>> buckets;
        std::map<Key, std::size_t> bucketOf;
        for (std::size_t i = 0; i < items.size(); ++i) {
            std::optional<Key> s = signalsOf(items[i]);
            if (!s) {
                singles.push_back({i});
                continue;
            }
            auto [it, inserted] = bucketOf.try_emplace(std::move(*s), buckets.size());
            if (inserted) buckets.emplace_back();
            buckets[it->second].push_back(i);
        }
        std::vector<std::vector<std::size_t>> groups;
        groups.reserve(buckets.size() + singles.size());
        for (auto& bucket : buckets)
            if (bucket.size() >= 2) groups.push_back(std::move(bucket));
        for (auto& single : singles) groups.push_back(std::move(single));
        for (auto& bucket : buckets)
            if (bucket.size() == 1) groups.push_back(std::move(bucket));
        return groups;
    }
};

}  // namespace quaylight
