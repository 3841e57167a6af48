#include "QuaylightKit/list/ListenerFilter.h"

#include <gtest/gtest.h>

#include "QuaylightKit/list/DefaultFilterSetting.h"
#include "QuaylightKit/list/ListenerDefaultFilterResolver.h"
#include "tests/QuaylightKit/Listeners.h"

namespace quaylight {
namespace {

using testsupport::makeListener;
using F = FilterCategory;

PortListener classified(std::optional<Runtime> runtime, std::optional<Framework> framework,
                        std::string label = "Unknown", std::optional<AgentKind> origin = std::nullopt) {
    auto l = makeListener(10, 3000);
    l.classification.runtime = runtime;
    l.classification.framework = framework;
    l.classification.label = std::move(label);
    l.agentOrigin = origin;
    return l;
}

TEST(FilterCategory, RawValuesTitlesAndOrder) {
    EXPECT_EQ(allCases<F>(), (std::array{F::all, F::agents, F::codex, F::claude, F::web, F::node, F::python,
                                         F::rubyRails, F::go, F::bun, F::deno, F::other}));
    EXPECT_EQ(rawValue(F::rubyRails), "rubyRails");
    EXPECT_EQ(displayName(F::rubyRails), "Ruby/Rails");
    EXPECT_EQ(displayName(F::all), "All");
    EXPECT_EQ(fromRawValue<F>("claude"), F::claude);
    EXPECT_EQ(fromRawValue<F>("Claude"), std::nullopt);
    EXPECT_EQ(fromRawValue<F>("ruby"), std::nullopt);
    EXPECT_EQ(allCases<DefaultFilterSetting>(),
              (std::array{DefaultFilterSetting::agents, DefaultFilterSetting::all, DefaultFilterSetting::lastUsed}));
    EXPECT_EQ(fromRawValue<DefaultFilterSetting>("lastUsed"), DefaultFilterSetting::lastUsed);
    EXPECT_EQ(fromRawValue<DefaultFilterSetting>("last"), std::nullopt);
}

struct FilterCase {
    const char* what;
    PortListener listener;
    std::vector<F> admittedBy;  // every category but these refuses it
};

TEST(ListenerFilter, WhatEachCategoryAdmits) {
    const std::vector<FilterCase> cases{
        {"vite under node", classified(Runtime::node, Framework::vite, "Vite"), {F::all, F::web, F::node}},
        {"guessed web server", classified(std::nullopt, std::nullopt, "Web server?"), {F::all, F::web}},
        {"postgres, no runtime", classified(std::nullopt, std::nullopt, "Postgres"), {F::all, F::other}},
        {"plain python", classified(Runtime::python, std::nullopt, "Python"), {F::all, F::python}},
        {"ruby", classified(Runtime::ruby, std::nullopt), {F::all, F::rubyRails}},
        {"puma without runtime", classified(std::nullopt, Framework::puma), {F::all, F::web, F::rubyRails}},
        {"rails", classified(Runtime::ruby, Framework::rails), {F::all, F::web, F::rubyRails}},
        {"go", classified(Runtime::go, std::nullopt), {F::all, F::go}},
        {"bun", classified(Runtime::bun, std::nullopt), {F::all, F::bun}},
        {"deno", classified(Runtime::deno, std::nullopt), {F::all, F::deno}},
        {"codex's node server",
         classified(Runtime::node, std::nullopt, "Node", AgentKind::codex),
         {F::all, F::agents, F::codex, F::node}},
        {"claude's unknown server",
         classified(std::nullopt, std::nullopt, "Unknown", AgentKind::claude),
         {F::all, F::agents, F::claude, F::other}},
    };
    for (const auto& c : cases) {
        for (auto category : allCases<F>()) {
            const bool expected = std::find(c.admittedBy.begin(), c.admittedBy.end(), category) != c.admittedBy.end();
            EXPECT_EQ(ListenerFilter::matches(c.listener, category), expected) << c.what << " / " << rawValue(category);
        }
    }
}

TEST(ListenerFilter, ChipsFollowTheListenersInChipOrder) {
    EXPECT_EQ(ListenerFilter::availableCategories({}), (std::vector<F>{F::all}));
    EXPECT_EQ(
        ListenerFilter::availableCategories({classified(std::nullopt, std::nullopt, "Redis"),
                                             classified(Runtime::node, Framework::next, "Next.js", AgentKind::claude)}),
        (std::vector<F>{F::all, F::agents, F::claude, F::web, F::node, F::other}));
}

struct StartingFilterCase {
    std::optional<DefaultFilterSetting> setting;
    bool attributed;
    std::optional<F> lastUsed;
    F expected;
};

TEST(ListenerDefaultFilterResolver, SettingAgentsAndLastFilterDecideTheStartingFilter) {
    using S = DefaultFilterSetting;
    const std::vector<StartingFilterCase> cases{
        {S::all, true, F::codex, F::all},
        {S::agents, true, std::nullopt, F::agents},
        {S::agents, false, F::python, F::all},
        {S::lastUsed, false, F::python, F::python},
        {S::lastUsed, true, F::other, F::other},
        {S::lastUsed, true, F::agents, F::agents},
        {S::lastUsed, false, F::agents, F::all},  // a remembered "agents" still needs an agent
        {S::lastUsed, true, std::nullopt, F::agents},
        {S::lastUsed, false, std::nullopt, F::all},
        {std::nullopt, true, F::go, F::agents},
        {std::nullopt, false, F::go, F::all},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ListenerDefaultFilterResolver::resolve(c.setting, c.attributed, c.lastUsed), c.expected)
            << (c.setting ? rawValue(*c.setting) : "none") << " " << c.attributed << " "
            << (c.lastUsed ? rawValue(*c.lastUsed) : "none");
}

}  // namespace
}  // namespace quaylight
