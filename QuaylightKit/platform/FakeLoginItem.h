#pragma once
// A login item in memory, for tests of whatever drives the launch-at-login toggle.

#include "QuaylightKit/platform/LoginItem.h"

namespace quaylight {

class FakeLoginItem final : public LoginItem {
public:
    Status current = Status::notRegistered;
    bool refuseAdd = false;
    bool refuseRemove = false;
    bool addNeedsApproval = false;  // an add leaves the item waiting for the user's approval
    bool removeKeepsItem = false;   // a remove "succeeds" but the item stays as it was
    int adds = 0;
    int removes = 0;
    std::string location = "/fake/autostart";

    Status status() const override { return current; }
    std::string settingsLocation() const override { return location; }

protected:
    bool add() override {
        ++adds;
        if (refuseAdd) return false;
        current = addNeedsApproval ? Status::requiresApproval : Status::enabled;
        return true;
    }
    bool remove() override {
        ++removes;
        if (refuseRemove) return false;
        if (!removeKeepsItem) current = Status::notRegistered;
        return true;
    }
};

}  // namespace quaylight
