#include "Quaylight/agent-inventory/model/PanelModeResolver.h"

#include <gtest/gtest.h>

namespace quaylight {
namespace {

struct ModeCase {
    std::optional<DefaultFilterSetting> setting;
    bool hasAgents;
    std::optional<PanelMode> lastMode;
    PanelMode expected;
};

TEST(PanelModeResolver, SettingAgentsAndLastModeDecideTheStartingMode) {
    using S = DefaultFilterSetting;
    using M = PanelMode;
    const std::vector<ModeCase> cases{
        {S::agents, true, std::nullopt, M::agents},   {S::agents, false, M::agents, M::ports},
        {S::all, true, M::agents, M::ports},          {S::all, false, std::nullopt, M::ports},
        {S::lastUsed, false, M::agents, M::agents},  // the last mode wins, agents or not
        {S::lastUsed, true, M::ports, M::ports},      {S::lastUsed, true, std::nullopt, M::agents},
        {S::lastUsed, false, std::nullopt, M::ports}, {std::nullopt, true, M::ports, M::agents},
        {std::nullopt, false, M::agents, M::ports},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PanelModeResolver::resolve(c.setting, c.hasAgents, c.lastMode), c.expected)
            << (c.setting ? rawValue(*c.setting) : "none") << " " << c.hasAgents << " "
            << (c.lastMode ? rawValue(*c.lastMode) : "none");
}

}  // namespace
}  // namespace quaylight
