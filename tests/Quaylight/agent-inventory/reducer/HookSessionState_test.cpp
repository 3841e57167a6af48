#include "Quaylight/agent-inventory/reducer/HookSessionState.h"

#include <gtest/gtest.h>

#include <vector>

namespace quaylight {
namespace {

using EventKind = AgentHookProtocol::EventKind;
using State = AgentSessionState;

const std::optional<std::string> none;
const std::optional<std::string> permission = "Waiting for permission approval.";
const std::optional<std::string> input = "The agent asked for your input.";
const std::optional<std::string> failure = "The last turn ended with an error.";

struct TransitionCase {
    HookSessionState from;
    EventKind event;
    HookSessionState to;
};

const char* stateName(State state) {
    switch (state) {
        case State::needsAttention: return "needsAttention";
        case State::working: return "working";
        case State::waiting: return "waiting";
        case State::detected: return "detected";
        case State::recentlyFinished: return "recentlyFinished";
    }
    return "?";
}

void PrintTo(const TransitionCase& c, std::ostream* os) {
    *os << stateName(c.from.state) << (c.from.detail ? "_withDetail" : "") << "_on_" << rawValue(c.event);
}

class HookSessionTransitions : public ::testing::TestWithParam<TransitionCase> {};

TEST_P(HookSessionTransitions, FollowTheEvent) {
    EXPECT_EQ(hookSessionStateAfter(GetParam().from, GetParam().event), GetParam().to);
}

// Every event from a plain state, and from a request for attention, which only a start, a
// prompt, another request or the end of a turn replaces.
std::vector<TransitionCase> transitions() {
    const HookSessionState working{State::working, none};
    const HookSessionState asking{State::needsAttention, permission};
    const HookSessionState failed{State::waiting, failure};
    return {
        {working, EventKind::sessionStart, {State::detected, none}},
        {working, EventKind::promptSubmitted, {State::working, none}},
        {working, EventKind::permissionRequested, {State::needsAttention, permission}},
        {working, EventKind::needsInputNotification, {State::needsAttention, input}},
        {working, EventKind::idleNotification, {State::waiting, none}},
        {working, EventKind::turnEnded, {State::waiting, none}},
        {working, EventKind::turnFailed, {State::waiting, failure}},
        {working, EventKind::sessionEnded, working},
        {working, EventKind::connectionTest, working},
        {asking, EventKind::sessionStart, {State::detected, none}},
        {asking, EventKind::promptSubmitted, {State::working, none}},
        {asking, EventKind::permissionRequested, {State::needsAttention, permission}},
        {asking, EventKind::needsInputNotification, {State::needsAttention, input}},
        {asking, EventKind::idleNotification, asking},
        {asking, EventKind::turnEnded, {State::waiting, none}},
        {asking, EventKind::turnFailed, asking},
        {asking, EventKind::sessionEnded, asking},
        {asking, EventKind::connectionTest, asking},
        {failed, EventKind::idleNotification, {State::waiting, none}},  // idle clears an earlier failure
        {failed, EventKind::turnFailed, failed},
    };
}

INSTANTIATE_TEST_SUITE_P(Table, HookSessionTransitions, ::testing::ValuesIn(transitions()));

}  // namespace
}  // namespace quaylight
