#pragma once
// The sessions of one published inventory, in order. It reads like a vector of sessions,
// but each session is immutable and shared: a snapshot published after an input that
// changed one session holds the very same session objects as the last one for all others,
// so publishing copies pointers, never sessions.

#include <compare>
#include <cstddef>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <vector>

#include "Quaylight/agent-inventory/model/AgentSessionSnapshot.h"

namespace quaylight {

class AgentSessionList {
public:
    using Shared = std::shared_ptr<const AgentSessionSnapshot>;
    using value_type = AgentSessionSnapshot;
    using size_type = std::size_t;

    class const_iterator {
    public:
        using iterator_category = std::random_access_iterator_tag;
        using iterator_concept = std::random_access_iterator_tag;
        using value_type = AgentSessionSnapshot;
        using difference_type = std::ptrdiff_t;
        using pointer = const AgentSessionSnapshot*;
        using reference = const AgentSessionSnapshot&;

        const_iterator() = default;
        explicit const_iterator(std::vector<Shared>::const_iterator at) : at_(at) {}

        reference operator*() const { return **at_; }
        pointer operator->() const { return at_->get(); }
        reference operator[](difference_type n) const { return *at_[n]; }
        const_iterator& operator++() { ++at_; return *this; }
        const_iterator operator++(int) { auto old = *this; ++at_; return old; }
        const_iterator& operator--() { --at_; return *this; }
        const_iterator operator--(int) { auto old = *this; --at_; return old; }
        const_iterator& operator+=(difference_type n) { at_ += n; return *this; }
        const_iterator& operator-=(difference_type n) { at_ -= n; return *this; }
        friend const_iterator operator+(const_iterator i, difference_type n) { return i += n; }
        friend const_iterator operator+(difference_type n, const_iterator i) { return i += n; }
        friend const_iterator operator-(const_iterator i, difference_type n) { return i -= n; }
        friend difference_type operator-(const const_iterator& a, const const_iterator& b) { return a.at_ - b.at_; }
        friend bool operator==(const const_iterator& a, const const_iterator& b) { return a.at_ == b.at_; }
        friend auto operator<=>(const const_iterator& a, const const_iterator& b) { return a.at_ <=> b.at_; }

    private:
        std::vector<Shared>::const_iterator at_;
    };
    using iterator = const_iterator;

    AgentSessionList() = default;
    AgentSessionList(std::vector<AgentSessionSnapshot> sessions);  // NOLINT: a list of values is one
    AgentSessionList(std::initializer_list<AgentSessionSnapshot> sessions);
    // Sessions already shared (never null).
    static AgentSessionList sharing(std::vector<Shared> sessions);

    size_type size() const { return sessions_.size(); }
    bool empty() const { return sessions_.empty(); }
    const AgentSessionSnapshot& operator[](size_type i) const { return *sessions_[i]; }
    const AgentSessionSnapshot& at(size_type i) const { return *sessions_.at(i); }
    const AgentSessionSnapshot& front() const { return *sessions_.front(); }
    const AgentSessionSnapshot& back() const { return *sessions_.back(); }
    const_iterator begin() const { return const_iterator(sessions_.begin()); }
    const_iterator end() const { return const_iterator(sessions_.end()); }
    void push_back(AgentSessionSnapshot session);

    // The shared object behind the i-th session: equal pointers in two lists are one session
    // object, not rebuilt in between.
    const Shared& shared(size_type i) const { return sessions_[i]; }

    friend bool operator==(const AgentSessionList& a, const AgentSessionList& b);

private:
    std::vector<Shared> sessions_;
};

}  // namespace quaylight
