#pragma once
// Running applications for tests: a fixed set of PIDs, and the activations asked for.

#include <cstdint>
#include <set>
#include <vector>

#include "Quaylight/shell/viewmodel/RunningApplications.h"

namespace quaylight {

class FakeRunningApplications final : public RunningApplications {
public:
    std::set<std::int32_t> running;
    std::vector<std::int32_t> activated;
    int reads = 0;

    std::set<std::int32_t> pids() override {
        ++reads;
        return running;
    }
    void activate(std::int32_t pid) override { activated.push_back(pid); }
};

}  // namespace quaylight
