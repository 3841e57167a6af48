#include "QuaylightKit/login/LaunchAtLoginReconciler.h"

#include <gtest/gtest.h>

#include "QuaylightKit/platform/FakeLoginItem.h"

namespace quaylight {
namespace {

using R = LaunchAtLoginReconciler;
using Status = R::SystemStatus;
using Result = R::ChangeResult;
using Presentation = R::Presentation;

const std::string approval = "Turn on Quaylight in your desktop's autostart settings.";
const std::string addFailed = "Couldn't add Quaylight to autostart. Try your desktop's autostart settings.";
const std::string removeFailed = "Couldn't remove Quaylight from autostart. Try your desktop's autostart settings.";

TEST(LaunchAtLoginReconciler, PresentationOfAStatus) {
    EXPECT_EQ(R::presentation(Status::enabled), (Presentation{true, false, std::nullopt, false}));
    EXPECT_EQ(R::presentation(Status::requiresApproval), (Presentation{false, true, approval, false}));
    EXPECT_EQ(R::presentation(Status::notRegistered), (Presentation{false, false, std::nullopt, false}));
}

struct ToggleCase {
    bool desired;
    Result result;
    Status status;
    Presentation expected;
};

TEST(LaunchAtLoginReconciler, PresentationAfterAToggle) {
    const std::vector<ToggleCase> cases{
        {true, Result::enabled, Status::enabled, {true, false, std::nullopt, false}},
        {true, Result::requiresApproval, Status::requiresApproval, {false, true, approval, true}},
        {true, Result::failed, Status::notRegistered, {false, false, addFailed, false}},
        {true, Result::disabled, Status::notRegistered, {false, false, addFailed, false}},
        {true, Result::failed, Status::requiresApproval, {false, true, addFailed, false}},
        {true, Result::requiresApproval, Status::notRegistered, {false, true, approval, true}},
        {false, Result::disabled, Status::notRegistered, {false, false, std::nullopt, false}},
        {false, Result::disabled, Status::requiresApproval, {false, true, approval, false}},
        {false, Result::failed, Status::enabled, {true, false, removeFailed, false}},
        {false, Result::enabled, Status::enabled, {true, false, removeFailed, false}},
        {false, Result::requiresApproval, Status::requiresApproval, {false, true, removeFailed, false}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(R::presentation(c.desired, c.result, c.status), c.expected)
            << c.desired << " " << static_cast<int>(c.result) << " " << static_cast<int>(c.status);
}

TEST(LaunchAtLoginReconciler, ToggleWriteOnlyWhenItDiffers) {
    EXPECT_EQ(R::toggleWrite(true, {true, false, std::nullopt, false}), std::nullopt);
    EXPECT_EQ(R::toggleWrite(true, {false, false, std::nullopt, false}), false);
    EXPECT_EQ(R::toggleWrite(false, {true, false, std::nullopt, false}), true);
    EXPECT_EQ(R::toggleWrite(false, {false, true, approval, true}), std::nullopt);
}

TEST(LoginItem, ChangesAreReadBackFromTheSystem) {
    FakeLoginItem item;
    EXPECT_EQ(item.registerItem(), Result::enabled);
    EXPECT_EQ(item.status(), Status::enabled);
    EXPECT_EQ(item.unregisterItem(), Result::disabled);
    EXPECT_EQ(item.status(), Status::notRegistered);

    item.addNeedsApproval = true;
    EXPECT_EQ(item.registerItem(), Result::requiresApproval);
    // Approval pending: unregistering that leaves the item in place fails.
    item.removeKeepsItem = true;
    EXPECT_EQ(item.unregisterItem(), Result::failed);
    item.refuseRemove = true;
    EXPECT_EQ(item.unregisterItem(), Result::failed);

    FakeLoginItem refusing;
    refusing.refuseAdd = true;
    EXPECT_EQ(refusing.registerItem(), Result::failed);
    EXPECT_EQ(refusing.adds, 1);
}

// The settings toggle as the application drives it: change the item, read the status back,
// present both.
Presentation flip(LoginItem& item, bool desired) {
    const auto result = desired ? item.registerItem() : item.unregisterItem();
    return R::presentation(desired, result, item.status());
}

TEST(LaunchAtLoginReconciler, TogglingAFakeLoginItem) {
    FakeLoginItem item;
    EXPECT_EQ(flip(item, true), (Presentation{true, false, std::nullopt, false}));
    EXPECT_EQ(flip(item, false), (Presentation{false, false, std::nullopt, false}));

    item.addNeedsApproval = true;  // only a fake ever asks for approval
    EXPECT_EQ(flip(item, true), (Presentation{false, true, approval, true}));
    EXPECT_EQ(R::presentation(item.status()), (Presentation{false, true, approval, false}));

    FakeLoginItem refusing;
    refusing.refuseAdd = true;
    EXPECT_EQ(flip(refusing, true), (Presentation{false, false, addFailed, false}));
    refusing.current = Status::enabled;
    refusing.refuseRemove = true;
    EXPECT_EQ(flip(refusing, false), (Presentation{true, false, removeFailed, false}));
}

}  // namespace
}  // namespace quaylight
