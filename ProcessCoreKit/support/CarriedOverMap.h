#pragma once
// What one scan learnt, carried over to the next for the keys that scan asks for again: a
// value looked up is kept for the scan after, one not looked up is forgotten. The owner
// decides at each scan's start whether anything carries over at all.

#include <mutex>
#include <optional>
#include <unordered_map>
#include <utility>

namespace quaylight {

template <class Key, class Value>
class CarriedOverMap {
public:
    // Starts a scan, before its lookups: with `carry` false nothing of the last scan is kept.
    void beginScan(bool carry) {
        const std::lock_guard lock(mutex_);
        previous_ = carry ? std::move(current_) : Map{};
        current_.clear();
    }

    // The value this scan or the last remembered for `key`. Safe from several threads at once.
    std::optional<Value> find(const Key& key) {
        const std::lock_guard lock(mutex_);
        if (const auto found = current_.find(key); found != current_.end()) return found->second;
        const auto found = previous_.find(key);
        if (found == previous_.end()) return std::nullopt;
        auto kept = current_.insert_or_assign(key, std::move(found->second)).first;
        previous_.erase(found);
        return kept->second;
    }

    void remember(const Key& key, Value value) {
        const std::lock_guard lock(mutex_);
        current_.insert_or_assign(key, std::move(value));
    }

private:
    using Map = std::unordered_map<Key, Value>;
    std::mutex mutex_;
    Map previous_;
    Map current_;
};

}  // namespace quaylight
