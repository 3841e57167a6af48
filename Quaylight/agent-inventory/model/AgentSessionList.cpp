#include "Quaylight/agent-inventory/model/AgentSessionList.h"

#include <algorithm>
#include <utility>

namespace quaylight {

AgentSessionList::AgentSessionList(std::vector<AgentSessionSnapshot> sessions) {
    sessions_.reserve(sessions.size());
    for (auto& session : sessions) push_back(std::move(session));
}

AgentSessionList::AgentSessionList(std::initializer_list<AgentSessionSnapshot> sessions)
    : AgentSessionList(std::vector<AgentSessionSnapshot>(sessions)) {}

AgentSessionList AgentSessionList::sharing(std::vector<Shared> sessions) {
    AgentSessionList list;
    list.sessions_ = std::move(sessions);
    return list;
}

void AgentSessionList::push_back(AgentSessionSnapshot session) {
    sessions_.push_back(std::make_shared<const AgentSessionSnapshot>(std::move(session)));
}

bool operator==(const AgentSessionList& a, const AgentSessionList& b) {
    return std::equal(a.sessions_.begin(), a.sessions_.end(), b.sessions_.begin(), b.sessions_.end(),
                      [](const AgentSessionList::Shared& x, const AgentSessionList::Shared& y) {
                          return x == y || *x == *y;
                      });
}

}  // namespace quaylight
