#pragma once

#include <cstdint>
#include <string_view>

#include "ProcessCoreKit/records/ProcessSnapshot.h"
#include "ProcessCoreKit/support/RawEnum.h"

namespace quaylight {

enum class ProtectionReason { quaylightSelf, hostApp, loginShell, appleSystemProcess, unconfirmedOwner };

template <>
struct RawValues<ProtectionReason> {
    static constexpr std::array<std::pair<ProtectionReason, std::string_view>, 5> table{{
        {ProtectionReason::quaylightSelf, "quaylightSelf"},
        {ProtectionReason::hostApp, "hostApp"},
        {ProtectionReason::loginShell, "loginShell"},
        {ProtectionReason::appleSystemProcess, "appleSystemProcess"},
        {ProtectionReason::unconfirmedOwner, "unconfirmedOwner"},
    }};
};

// Actionable, or protected for a reason.
struct ProcessSafetyClass {
    std::optional<ProtectionReason> protection;  // absent: actionable

    static ProcessSafetyClass actionable() { return {}; }
    static ProcessSafetyClass protectedFor(ProtectionReason reason) { return {reason}; }
    bool isActionable() const { return !protection; }
    friend bool operator==(const ProcessSafetyClass&, const ProcessSafetyClass&) = default;
};

// Decides whether Quaylight may signal a process.
struct ProcessSafetyClassifier {
    struct Context {
        std::int32_t selfPID = 0;
        std::uint32_t currentUID = 0;
        friend bool operator==(const Context&, const Context&) = default;
        // This process's own PID and real user.
        static Context current();
    };

    static constexpr std::string_view quaylightBundleID = "com.quaylight.app";

    static ProcessSafetyClass classify(const ProcessSnapshot& snapshot, bool appleSystemBinary, bool inQuaylightSubtree,
                                       const Context& context);
    static bool isLoginShell(const ProcessSnapshot& snapshot);
    // A process of the operating system's own session (by name, in a system location).
    static bool isCoreSystemProcess(const ProcessSnapshot& snapshot);
};

}  // namespace quaylight
