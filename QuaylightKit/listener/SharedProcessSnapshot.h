#pragma once

#include <memory>

#include "ProcessCoreKit/records/ProcessSnapshot.h"

namespace quaylight {

// A row's process snapshot, shared by every row of the same process: a process with a
// hundred ports is read once, and copying a row copies a pointer, not the process's
// argument vector. It reads and compares as the snapshot it holds; `edit()` gives a row a
// copy of its own before changing it, so a change never reaches another row.
class SharedProcessSnapshot {
public:
    SharedProcessSnapshot() = default;  // an empty snapshot
    // Implicit, since a row is built from, and given, a snapshot.
    SharedProcessSnapshot(ProcessSnapshot snapshot)
        : snapshot_(std::make_shared<ProcessSnapshot>(std::move(snapshot))) {}

    const ProcessSnapshot& get() const { return snapshot_ ? *snapshot_ : empty(); }
    const ProcessSnapshot& operator*() const { return get(); }
    const ProcessSnapshot* operator->() const { return &get(); }

    ProcessSnapshot& edit() {
        if (!snapshot_ || snapshot_.use_count() > 1) snapshot_ = std::make_shared<ProcessSnapshot>(get());
        return *snapshot_;
    }

    friend bool operator==(const SharedProcessSnapshot& a, const SharedProcessSnapshot& b) {
        return a.snapshot_ == b.snapshot_ || a.get() == b.get();
    }

private:
    static const ProcessSnapshot& empty() {
        static const ProcessSnapshot snapshot;
        return snapshot;
    }

    std::shared_ptr<ProcessSnapshot> snapshot_;
};

}  // namespace quaylight
