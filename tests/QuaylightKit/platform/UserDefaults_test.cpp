#include <gtest/gtest.h>

#include "QuaylightKit/platform/UserDefaults.h"

namespace quaylight {
namespace {

TEST(UserDefaults, TypedReadsNeverReinterpretAnotherType) {
    InMemoryUserDefaults defaults;
    defaults.setString("flag", "no");
    defaults.setBool("real", false);
    defaults.setInteger("count", 3);
    EXPECT_EQ(defaults.boolValue("flag"), std::nullopt);  // a text is not a boolean
    EXPECT_FALSE(defaults.boolForKey("flag"));
    EXPECT_EQ(defaults.boolValue("real"), false);
    EXPECT_EQ(defaults.integerValue("count"), 3);
    EXPECT_EQ(defaults.doubleValue("count"), 3.0);
    EXPECT_EQ(defaults.stringValue("count"), std::nullopt);
    EXPECT_FALSE(defaults.contains("missing"));
    defaults.removeObject("count");
    EXPECT_FALSE(defaults.contains("count"));
    EXPECT_EQ(defaults.integerForKey("count"), 0);
}

}  // namespace
}  // namespace quaylight
