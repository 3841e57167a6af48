// The Agents tab's expansion toggle and related-ports guard, as tables.

#include <gtest/gtest.h>

#include "Quaylight/popover/model/AgentBodyDecisions.h"

namespace quaylight {
namespace {

TEST(AgentBodyDecisions, ToggledExpansion) {
    struct Case {
        std::optional<std::string> expanded;
        std::string toggled;
        std::optional<std::string> result;
    };
    const std::string twin = "hook:codex:00000000000000aa";
    const std::string finishedTwin = twin + ":finished:1700000000000000";
    const Case cases[] = {
        {std::nullopt, "a", "a"},
        {"a", "a", std::nullopt},  // twice collapses
        {"a", "b", "b"},           // another row moves the band
        {twin, finishedTwin, finishedTwin},  // twins are separate rows
    };
    for (const auto& c : cases) EXPECT_EQ(toggledExpansion(c.expanded, c.toggled), c.result) << c.toggled;
}

TEST(AgentBodyDecisions, RelatedPortsOnlyForAnExactProcess) {
    AgentProcessIdentity identity;
    identity.process.pid = 4242;
    identity.kind = AgentKind::claude;
    struct Case {
        PortRelationshipConfidence relationship;
        bool hasProcess;
        bool narrows;
    };
    const Case cases[] = {
        {PortRelationshipConfidence::exact, true, true},
        {PortRelationshipConfidence::exact, false, false},
        {PortRelationshipConfidence::noneObserved, true, false},
        {PortRelationshipConfidence::unavailable, true, false},
    };
    for (const auto& c : cases) {
        AgentSessionSnapshot session;
        session.provider = AgentKind::claude;
        session.portRelationship = c.relationship;
        if (c.hasProcess) session.processIdentity = identity;
        const auto scope = relatedPortsScope(session);
        EXPECT_EQ(scope.has_value(), c.narrows);
        if (scope) {
            EXPECT_EQ(*scope, (ExactAgentPortScope{identity, AgentKind::claude}));
        }
    }
}

}  // namespace
}  // namespace quaylight
